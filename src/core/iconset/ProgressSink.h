// Where long icon-set work reports how far it has come: the snapshot dialog shows a bar and a
// status text, the command line prints one line per status. The sink also carries the user's
// request to stop, which the work checks between items.
#pragma once

#include "common/Strings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vellum {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // 0 to 100.
    virtual void SetPercent(int percent) = 0;
    virtual void SetStatus(std::string_view text) = 0;
    // True once the user asked to stop; the work then ends at the next item with E_ABORT. May be
    // asked from a worker thread while the window sets it.
    virtual bool CancelRequested() const { return false; }
};

// Reports nothing; for callers that do not show progress.
class SilentProgress final : public ProgressSink {
public:
    void SetPercent(int) override {}
    void SetStatus(std::string_view) override {}
};

// One phase of a long operation that works through counted items: each item shows
// "<phase> (<n> of <total>)" and moves the bar to base + weight * n / total.
class PhaseProgress {
public:
    PhaseProgress(ProgressSink& sink, int base, int weight, int total)
        : sink_(sink), base_(base), weight_(weight), total_(total) {}

    ProgressSink& Sink() { return sink_; }
    bool CancelRequested() const { return sink_.CancelRequested(); }
    void SetPhase(std::string phase) { phase_ = std::move(phase); }
    void Advance() {
        ++count_;
        sink_.SetStatus(Format("%s (%d of %d)", phase_.c_str(), count_, total_));
        if (total_ > 0)
            sink_.SetPercent(base_ + int(std::int64_t(weight_) * count_ / total_));
    }

private:
    ProgressSink& sink_;
    int base_;
    int weight_;
    int total_;
    int count_ = 0;
    std::string phase_;
};

} // namespace vellum
