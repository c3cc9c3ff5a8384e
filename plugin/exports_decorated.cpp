// The entry points a third time, under their C++ decorated names, for hosts
// that resolve the type-encoded names.  Each forwards to its plain export.
#include "plugin/abi.h"

namespace plain {
extern "C" {
int STATS_CALL ResetStats0(STATS_RESET_PARAMS);
int STATS_CALL AddData0(STATS_ADD_DATA_PARAMS);
int STATS_CALL RemoveData0(STATS_ADD_DATA_PARAMS);
int STATS_CALL CheckCallFunc0(STATS_CHECK_CALL_PARAMS);
const char* STATS_CALL GetResult0(int* p1);
int STATS_CALL StatsIsValidExchg0(STATS_VALID_EXCHG_PARAMS);
int STATS_CALL StatsGetExchgCount0(STATS_EXCHG_COUNT_PARAMS);
int STATS_CALL GetNumberOfSets();
const char* STATS_CALL GetSetName(int p1);
void STATS_CALL SetupSet0();
unsigned long STATS_CALL setVersion(const char* p1);
}
}  // namespace plain

STATS_API int STATS_CALL ResetStats0(STATS_RESET_PARAMS) {
  return plain::ResetStats0(STATS_RESET_ARGS);
}
STATS_API int STATS_CALL AddData0(STATS_ADD_DATA_PARAMS) {
  return plain::AddData0(STATS_ADD_DATA_ARGS);
}
STATS_API int STATS_CALL RemoveData0(STATS_ADD_DATA_PARAMS) {
  return plain::RemoveData0(STATS_ADD_DATA_ARGS);
}
STATS_API int STATS_CALL CheckCallFunc0(STATS_CHECK_CALL_PARAMS) {
  return plain::CheckCallFunc0(STATS_CHECK_CALL_ARGS);
}
STATS_API const char* STATS_CALL GetResult0(int* p1) { return plain::GetResult0(p1); }
STATS_API int STATS_CALL StatsIsValidExchg0(STATS_VALID_EXCHG_PARAMS) {
  return plain::StatsIsValidExchg0(STATS_VALID_EXCHG_ARGS);
}
STATS_API int STATS_CALL StatsGetExchgCount0(STATS_EXCHG_COUNT_PARAMS) {
  return plain::StatsGetExchgCount0(STATS_EXCHG_COUNT_ARGS);
}
STATS_API int STATS_CALL GetNumberOfSets() { return plain::GetNumberOfSets(); }
STATS_API const char* STATS_CALL GetSetName(int p1) { return plain::GetSetName(p1); }
STATS_API void STATS_CALL SetupSet0() { plain::SetupSet0(); }
STATS_API unsigned long STATS_CALL setVersion(const char* p1) { return plain::setVersion(p1); }
