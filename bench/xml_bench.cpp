// Parse speed of XmlDocument against pugixml on a 50 MB manifest and a 5 MB string table.
//
// Both parsers read the same bytes from memory. pugixml runs with its default options
// (parse_default: escapes, end-of-line normalisation, CDATA) through load_buffer, which copies
// the input first as its normal use does; load_buffer_inplace on a fresh copy is reported too.
// Vellum is timed on LoadBuffer and, for information, on Load from a file it maps. After the
// runs the program prints the ratio Vellum / pugixml for each file.
//
// Freed memory stays in the process (glibc's trim and mmap thresholds are raised): otherwise
// whether the allocator hands a parser's hundred megabytes back to the kernel depends on what
// happens to lie at the top of the heap, and runs swing by a factor of two on page faults. Warm
// memory also spares pugixml's copy of the input its faults, so the comparison leans its way.
#include "FastestRunReporter.h"
#include "Lcg.h"
#include "common/XmlDocument.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <pugixml.hpp>
#include <string>
#include <unistd.h>

namespace {

void Append(std::string& out, const char* format, auto... args) {
    char line[512];
    int n = std::snprintf(line, sizeof line, format, args...);
    out.append(line, static_cast<std::size_t>(n));
}

// The shape of pe.xml: a directory per level, each entry followed by the directory it leads to
// at the same indentation (five spaces per level); Directory lines end in LF, Entry and File
// lines in CR LF.
void AppendResource(std::string& out, Lcg& random, unsigned type, unsigned id, std::uint32_t& rva) {
    std::uint32_t size = 64 + random.Next() % 40000;
    if (id % 7 == 0)
        Append(out, "          <Entry Name='IMAGE_%u_BMP' Directory='1' StripExt='1' >\r\n", id);
    else
        Append(out, "          <Entry ID='%u' Directory='1'>\r\n", id);
    Append(out, "          <Directory Type='%u' Named_Entries='0' ID_Entries='1'>\n", id);
    out += "               <Entry ID='1033' Directory='0'>\r\n";
    if (type == 2)
        Append(out,
               "               <File Name='IMAGE\\Bitmap%05u.BMP' Size='%u' Png='%u' "
               "StripExt='0' Start='%08x' End='%08x'/>\r\n",
               id, size, id % 2, rva, rva + size);
    else
        Append(out, "               <File Name='%u%05u' Size='%u' Start='%08x' End='%08x' />\r\n",
               type, id, size, rva, rva + size);
    out += "               </Entry>\r\n";
    out += "          </Directory>\n";
    out += "          </Entry>\r\n";
    rva += size;
}

std::string MakeManifest(std::size_t targetBytes) {
    constexpr unsigned kPerType = 2000;
    std::string out;
    out.reserve(targetBytes + 4096);
    Lcg random;
    std::uint32_t rva = 0x1000;
    Append(out, "<Directory Type='0' Named_Entries='2' ID_Entries='%u'>\n",
           unsigned(targetBytes / 330 / kPerType + 1));
    for (unsigned type = 1; out.size() < targetBytes; ++type) {
        Append(out, "     <Entry ID='%u' Directory='1'>\r\n", type);
        Append(out, "     <Directory Type='%u' Named_Entries='0' ID_Entries='%u'>\n", type,
               kPerType);
        for (unsigned id = 1; id <= kPerType; ++id)
            AppendResource(out, random, type, id, rva);
        out += "     </Directory>\n";
        out += "     </Entry>\r\n";
    }
    out += "</Directory>\n";
    return out;
}

// The shape of STRINGS.XML as XmlDocument writes it: the declaration, ROOT, one TABLE per
// language, one E per string, three spaces per level, CR LF.
std::string MakeStringTable(std::size_t targetBytes) {
    static const char* const kWords[] = {"Open",   "&amp;",  "close",     "the",    "&lt;file&gt;",
                                         "&quot;", "Cancel", "it&apos;s", "window", "%s"};
    std::string out = "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n<ROOT>\r\n";
    Lcg random;
    for (unsigned language = 1025; out.size() < targetBytes; ++language) {
        Append(out, "   <TABLE LANG=\"%u\">\r\n", language);
        for (unsigned id = 1; id <= 5000; ++id) {
            Append(out, "      <E ID=\"%u\" S=\"", id);
            for (unsigned w = 2 + random.Next() % 12; w > 0; --w) {
                out += kWords[random.Next() % 10];
                out += ' ';
            }
            out += "text\"/>\r\n";
        }
        out += "   </TABLE>\r\n";
    }
    out += "</ROOT>\r\n";
    return out;
}

struct Input {
    std::string label;
    std::string bytes;
    std::string path; // the same bytes in a file, for the mapped load
};

const std::uint8_t* Bytes(const Input& input) {
    return reinterpret_cast<const std::uint8_t*>(input.bytes.data());
}

std::size_t CountVellum(vellum::XmlDocument& doc) {
    std::size_t count = 0;
    for (vellum::XmlNode* node = doc.GetHead()->next; node;) {
        ++count;
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node && !node->next)
            node = node->parent;
        node = node ? node->next : nullptr;
    }
    return count;
}

std::size_t CountPugi(const pugi::xml_node& root) {
    struct Counter : pugi::xml_tree_walker {
        std::size_t count = 0;
        bool for_each(pugi::xml_node& node) override {
            count += node.type() == pugi::node_element;
            return true;
        }
    } counter;
    const_cast<pugi::xml_node&>(root).traverse(counter);
    return counter.count;
}

void VellumBuffer(benchmark::State& state, const Input* input) {
    vellum::XmlDocument doc;
    for (auto _ : state)
        if (FAILED(doc.LoadBuffer(Bytes(*input), input->bytes.size())))
            state.SkipWithError("parse failed");
    state.SetBytesProcessed(std::int64_t(state.iterations() * input->bytes.size()));
}

void VellumMapped(benchmark::State& state, const Input* input) {
    vellum::XmlDocument doc;
    for (auto _ : state)
        if (FAILED(doc.Load(input->path)))
            state.SkipWithError("load failed");
    state.SetBytesProcessed(std::int64_t(state.iterations() * input->bytes.size()));
}

void PugiBuffer(benchmark::State& state, const Input* input) {
    pugi::xml_document doc;
    for (auto _ : state)
        if (!doc.load_buffer(input->bytes.data(), input->bytes.size()))
            state.SkipWithError("parse failed");
    state.SetBytesProcessed(std::int64_t(state.iterations() * input->bytes.size()));
}

void PugiInPlace(benchmark::State& state, const Input* input) {
    pugi::xml_document doc;
    std::string copy;
    for (auto _ : state) {
        state.PauseTiming();
        doc.reset();
        copy = input->bytes;
        state.ResumeTiming();
        if (!doc.load_buffer_inplace(copy.data(), copy.size()))
            state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * input->bytes.size()));
}

// One parse per repetition, and the fastest of twenty counts.
void Register(const char* name, void (*run)(benchmark::State&, const Input*), const Input& in) {
    KeepFastest(
        benchmark::RegisterBenchmark((std::string(name) + "/" + in.label).c_str(), run, &in), 20);
}

void CheckSameTree(const Input& input) {
    vellum::XmlDocument vellumDoc;
    pugi::xml_document pugiDoc;
    vellumDoc.LoadBuffer(Bytes(input), input.bytes.size());
    pugiDoc.load_buffer(input.bytes.data(), input.bytes.size());
    std::size_t ours = CountVellum(vellumDoc), theirs = CountPugi(pugiDoc);
    std::printf("%s: %.1f MB, %zu elements (pugixml %zu)%s\n", input.label.c_str(),
                double(input.bytes.size()) / 1e6, ours, theirs, ours == theirs ? "" : "  MISMATCH");
}

std::string WriteTemp(const std::string& label, const std::string& bytes) {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("vellum-bench-" + std::to_string(::getpid()) + "-" + label);
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

} // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
#endif
    std::vector<Input> inputs;
    inputs.push_back({"manifest_50MB", MakeManifest(50'000'000), {}});
    inputs.push_back({"strings_5MB", MakeStringTable(5'000'000), {}});
    for (Input& input : inputs) {
        input.path = WriteTemp(input.label, input.bytes);
        CheckSameTree(input);
        Register("vellum_LoadBuffer", VellumBuffer, input);
        Register("pugixml_load_buffer", PugiBuffer, input);
        Register("vellum_Load_mapped", VellumMapped, input);
        Register("pugixml_load_buffer_inplace", PugiInPlace, input);
    }

    FastestRunReporter collector;
    RunBenchmarks(argc, argv, collector);

    for (const Input& input : inputs) {
        std::filesystem::remove(input.path);
        double ours = collector.Fastest("vellum_LoadBuffer/" + input.label);
        double theirs = collector.Fastest("pugixml_load_buffer/" + input.label);
        double inPlace = collector.Fastest("pugixml_load_buffer_inplace/" + input.label);
        if (ours <= 0 || theirs <= 0)
            continue;
        std::printf("xml parse ratio (vellum/pugixml) %s: %.2f  (vellum %.1f ms, pugixml %.1f ms",
                    input.label.c_str(), ours / theirs, ours, theirs);
        if (inPlace > 0)
            std::printf("; in place %.1f ms, ratio %.2f", inPlace, ours / inPlace);
        std::printf(")\n");
    }
    return 0;
}
