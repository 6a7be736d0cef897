// Builds an executable from a project folder: the header and section files are copied byte for
// byte, the resource section is generated anew from the manifest, the sections behind it move,
// and the header fields that depend on the resource section's size are patched.
#pragma once

#include "common/PrintfFormat.h"
#include "common/Prompter.h"
#include "common/Result.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vellum {

class NtHeaders;
class XmlDocument;

class Compiler {
public:
    // `trace` receives the trace lines (null for none).
    Compiler(Prompter& prompter, std::FILE* trace);

    // The output is `projectFolder` + `outputName`.
    void SetPaths(const std::string& outputName, const std::string& projectFolder);
    // Compiles the project whose manifest is `manifestPath`. The output file is replaced only
    // when the whole image has been written.
    HRESULT Compile(const std::string& manifestPath);

    std::string OutputPath() const { return folder_ + outputName_; }
    // True when a resource file could not be opened (its resource was written without data).
    bool MissingFiles() const { return missingFiles_; }

private:
    // How far the sections behind the resource section move, in the file and in memory.
    struct Shift {
        std::int64_t raw = 0;
        std::int64_t virtual_ = 0;
        bool resourceDone = false;
    };

    HRESULT Assemble(const std::string& manifestPath);
    HRESULT AppendSections(XmlDocument& manifest, NtHeaders& nt);
    HRESULT AppendCopiedSection(NtHeaders& nt, unsigned i, const std::string& file,
                                const Shift& shift);
    HRESULT AppendResourceSection(XmlDocument& manifest, NtHeaders& nt, unsigned i, Shift& shift);
    static std::uint32_t FileAlignment(const NtHeaders& nt);
    HRESULT AppendFile(const std::string& name, std::vector<std::uint8_t>* copy);
    void WriteBytes(const void* data, std::size_t size);
    void PadTo(std::uint64_t size);
    HRESULT CheckLayout(const NtHeaders& nt) const;
    HRESULT Fail(HRESULT hr);
    void Trace(const char* format, ...) VELLUM_PRINTF_FORMAT(2, 3);

    Prompter& prompter_;
    std::FILE* trace_;
    std::string folder_;
    std::string outputName_;
    std::vector<std::uint8_t> image_; // the output, written to disk at the end
    bool missingFiles_ = false;
    bool tooLarge_ = false; // a pad asked for more than a PE file can hold
};

} // namespace vellum
