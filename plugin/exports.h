// Declarations of the exported entry points (C linkage, plain names and
// aliases).
#pragma once

#include "plugin/abi.h"

// The entry points under their plain names and aliases (C linkage).  The same
// functions are exported a third time under their C++ decorated names, see
// plugin/exports_decorated.cpp.
extern "C" {
STATS_API int STATS_CALL ResetStats0(STATS_RESET_PARAMS);
STATS_API int STATS_CALL AddData0(STATS_ADD_DATA_PARAMS);
STATS_API int STATS_CALL RemoveData0(STATS_ADD_DATA_PARAMS);
STATS_API int STATS_CALL CheckCallFunc0(STATS_CHECK_CALL_PARAMS);
STATS_API int STATS_CALL CheckCall0(STATS_CHECK_CALL_PARAMS);
STATS_API const char* STATS_CALL GetResult0(int* p1);
STATS_API int STATS_CALL StatsIsValidExchg0(STATS_VALID_EXCHG_PARAMS);
STATS_API int STATS_CALL IsValidExchg0(STATS_VALID_EXCHG_PARAMS);
STATS_API int STATS_CALL StatsGetExchgCount0(STATS_EXCHG_COUNT_PARAMS);
STATS_API int STATS_CALL GetExchgCount0(STATS_EXCHG_COUNT_PARAMS);
STATS_API int STATS_CALL GetNumberOfSets();
STATS_API const char* STATS_CALL GetSetName(int p1);
STATS_API void STATS_CALL SetupSet0();
STATS_API unsigned long STATS_CALL setVersion(const char* p1);
}

