// What the batch-mode tests share: a scratch folder that also holds the data folder (so the log
// and the work folders land in it), a scripted prompter, and an error trail cleared before each
// test.
#pragma once

#include "cli/BatchDriver.h"
#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "operations/FailureLog.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vellum::test {

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VELLUM_DATA_DIR", (dir_ / "data").c_str(), 1);
        ClearErrorTrail();
    }
    void TearDown() override { unsetenv("VELLUM_DATA_DIR"); }

    int Run(const std::vector<std::string>& args) {
        return RunBatch(ParseCommandLine(args), prompter_);
    }
    std::string Log() { return ReadFileText(dir_ / (std::string("data/") + kLogFileName)); }

    ScratchDir dir_;
    ScriptedPrompter prompter_;
};

} // namespace vellum::test
