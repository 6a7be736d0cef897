// Where long icon-set work reports how far it has come: the snapshot dialog shows a bar and a
// status text, the command line prints one line per status.
#pragma once

#include <string_view>

namespace vellum {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // 0 to 100.
    virtual void SetPercent(int percent) = 0;
    virtual void SetStatus(std::string_view text) = 0;
};

// Reports nothing; for callers that do not show progress.
class SilentProgress final : public ProgressSink {
public:
    void SetPercent(int) override {}
    void SetStatus(std::string_view) override {}
};

} // namespace vellum
