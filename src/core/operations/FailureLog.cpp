#include "operations/FailureLog.h"

#include "common/ErrorTrail.h"
#include "common/Log.h"
#include "common/Path.h"

namespace vellum {

void LogFailure(const std::string& dataFolder, const std::string& operation) {
    if (dataFolder.empty())
        return;
    Log log(WithTrailingSeparator(dataFolder) + kLogFileName);
    log.SetSizeLimit(kLogSizeLimit);
    std::optional<std::string> trail = PeekErrorTrail();
    log.Write(operation + " failed" + (trail ? ":\r\n" + *trail : std::string()));
}

} // namespace vellum
