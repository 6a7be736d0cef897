#include "support/PeBuilder.h"

namespace vellum::test {

namespace {

struct Node {
    ResId key = 0u;
    std::vector<Node> children;
    const Bytes* data = nullptr;
};

Node* Child(Node& parent, const ResId& key) {
    for (Node& c : parent.children)
        if (c.key.id == key.id && c.key.name == key.name)
            return &c;
    parent.children.push_back(Node{key, {}, nullptr});
    return &parent.children.back();
}

struct Layout {
    ByteWriter out;
    std::vector<std::pair<std::size_t, const Node*>> dataEntries; // where each entry goes
    std::vector<std::pair<std::size_t, std::u16string>> names;    // entry fields to patch
};

void WriteDirectory(Layout& l, const Node& dir, std::size_t at) {
    unsigned named = 0, ids = 0;
    for (const Node& c : dir.children)
        (c.key.name.empty() ? ids : named)++;
    l.out.Patch16(at + 12, named).Patch16(at + 14, ids);
    std::size_t entry = at + 16;
    for (const Node& c : dir.children) {
        if (c.key.name.empty())
            l.out.Patch32(entry, c.key.id);
        else
            l.names.emplace_back(entry, c.key.name);
        if (c.data) {
            l.dataEntries.emplace_back(entry + 4, &c);
        } else {
            std::size_t child = l.out.Size();
            l.out.Fill(16 + 8 * c.children.size());
            l.out.Patch32(entry + 4, 0x80000000u | std::uint32_t(child));
            WriteDirectory(l, c, child);
        }
        entry += 8;
    }
}

} // namespace

Bytes BuildResourceSection(const std::vector<TestResource>& resources, std::uint32_t sectionRva) {
    Node root;
    for (const TestResource& r : resources)
        Child(*Child(*Child(root, r.type), r.name), r.language)->data = &r.data;
    Layout l;
    l.out.Fill(16 + 8 * root.children.size());
    WriteDirectory(l, root, 0);
    for (auto& [field, name] : l.names) {
        l.out.Patch32(field, 0x80000000u | std::uint32_t(l.out.Size()));
        l.out.U16(std::uint32_t(name.size())).Utf16(name);
    }
    std::vector<std::size_t> entries;
    for (auto& [field, node] : l.dataEntries) {
        l.out.Patch32(field, std::uint32_t(l.out.Size()));
        entries.push_back(l.out.Size());
        l.out.Fill(16);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Bytes& data = *l.dataEntries[i].second->data;
        l.out.Align(4);
        l.out.Patch32(entries[i], sectionRva + std::uint32_t(l.out.Size()));
        l.out.Patch32(entries[i] + 4, std::uint32_t(data.size()));
        l.out.Append(data);
    }
    return l.out.Take();
}

Bytes BuildPe(const std::vector<TestSection>& sections, bool pe32Plus) {
    const std::uint32_t nt = 0x40;
    const std::uint32_t optionalSize = pe32Plus ? 240 : 224;
    Bytes b(0x200, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, nt);
    Put32(b, nt, 0x00004550);
    Put16(b, nt + 4, pe32Plus ? 0x8664 : 0x14C);
    Put16(b, nt + 6, std::uint32_t(sections.size()));
    Put16(b, nt + 20, optionalSize);
    Put16(b, nt + 22, 0x2102);
    std::uint32_t opt = nt + 24;
    Put16(b, opt, pe32Plus ? 0x20B : 0x10B);
    Put32(b, opt + 32, 0x1000);
    Put32(b, opt + 36, 0x200);
    Put32(b, opt + 60, 0x200);
    Put32(b, opt + (pe32Plus ? 108 : 92), 16);
    std::uint32_t table = opt + optionalSize;
    std::uint32_t rva = 0x1000, raw = 0x200;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const TestSection& s = sections[i];
        std::uint32_t at = table + std::uint32_t(i) * 40;
        for (std::size_t k = 0; k < 8 && k < s.name.size(); ++k)
            b[at + k] = std::uint8_t(s.name[k]);
        std::uint32_t rawSize = (std::uint32_t(s.data.size()) + 0x1FF) & ~0x1FFu;
        Put32(b, at + 8, std::uint32_t(s.data.size()));
        Put32(b, at + 12, rva);
        Put32(b, at + 16, rawSize);
        Put32(b, at + 20, rawSize ? raw : 0);
        if (s.name == ".rsrc") {
            Put32(b, opt + (pe32Plus ? 112 : 96) + 8 * 2, rva);
            Put32(b, opt + (pe32Plus ? 112 : 96) + 8 * 2 + 4, std::uint32_t(s.data.size()));
        }
        b.resize(raw + rawSize, 0);
        std::copy(s.data.begin(), s.data.end(), b.begin() + raw);
        raw += rawSize;
        rva += (std::uint32_t(s.data.size()) + 0xFFF) & ~0xFFFu;
        if (s.data.empty())
            rva += 0x1000;
    }
    Put32(b, opt + 56, rva);
    return b;
}

} // namespace vellum::test
