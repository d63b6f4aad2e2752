// A job object that ends every process in it once its last handle closes: the system closes its owner's
// handles when the owner ends, however it ends (killed, crashed), so nothing put in the job outlives it.
#pragma once

#include "platform/win32/windows_api.h"

namespace zeb::win32 {

// Null when the system makes none.
inline HANDLE MakeKillOnCloseJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job && !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    job = nullptr;
  }
  return job;
}

}  // namespace zeb::win32
