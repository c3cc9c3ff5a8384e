// The plug-in's binary interface: the eleven entry points a host calls, with
// the argument layout the host uses.  Argument names are their positions
// (p1 is the first argument), which is how the host's documentation and the
// contest rules refer to them.
#pragma once

#include <cstdint>

// An OLE automation date as the host passes it: the day count since
// 1899-12-30 (the fraction is the time of day) and a status.
struct OleDateTime {
  double dt;
  int32_t status;  // 0 valid, 1 invalid, 2 null
};

#if defined(_WIN32)
#define STATS_API __declspec(dllexport)
#define STATS_CALL __cdecl
#else
#define STATS_API __attribute__((visibility("default")))
#define STATS_CALL
#endif

#define STATS_RESET_PARAMS \
    const char* p1, int p2, const char* p3, const OleDateTime* p4, \
    const OleDateTime* p5, const char* p6, const char* p7, const char* p8, \
    const char* p9, const char* p10, const char* p11, const char* p12, \
    const char* p13, const char* p14, const char* p15, int p16, \
    int p17, int p18, double p19, double p20, \
    const char* p21, const char* p22, const char* p23
#define STATS_RESET_ARGS p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, p16, p17, p18, p19, p20, p21, p22, p23

#define STATS_ADD_DATA_PARAMS \
    const char* p1, const char* p2, const OleDateTime* p3, const OleDateTime* p4, \
    const OleDateTime* p5, const OleDateTime* p6, unsigned int p7, unsigned int p8, \
    const char* p9, const char* p10, const char* p11, const char* p12, \
    const char* p13, const char* p14, const char* p15, const char* p16, \
    const char* p17, const char* p18, const char* p19, const char* p20, \
    const char* p21, const char* p22, const char* p23, int p24, \
    int p25, int p26, double p27, double p28, \
    const char* p29, const char* p30, const char* p31, const char* p32, \
    const char* p33
#define STATS_ADD_DATA_ARGS p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, p16, p17, p18, p19, p20, p21, p22, p23, p24, p25, p26, p27, p28, p29, p30, p31, p32, p33

#define STATS_CHECK_CALL_PARAMS \
    const char* p1, unsigned int p2, unsigned int p3, const char* p4, \
    const char* p5, const char* p6, const char* p7, const char* p8, \
    const char* p9, const char* p10, const char* p11, const char* p12, \
    const char* p13, const char* p14, int p15, int p16, \
    int p17, double p18, double p19, const char* p20, \
    const char* p21, const char* p22, const char* p23, const char* p24, \
    const char* p25, const char* p26, char* p27, char* p28
#define STATS_CHECK_CALL_ARGS p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14, p15, p16, p17, p18, p19, p20, p21, p22, p23, p24, p25, p26, p27, p28

#define STATS_VALID_EXCHG_PARAMS \
    const char* p1, const char* p2, const char* p3, const char* p4, \
    int p5, int p6, int p7
#define STATS_VALID_EXCHG_ARGS p1, p2, p3, p4, p5, p6, p7

#define STATS_EXCHG_COUNT_PARAMS \
    const char* p1, const char* p2, const char* p3
#define STATS_EXCHG_COUNT_ARGS p1, p2, p3

// Function pointer types, for hosts and tools that resolve the exports by name.
using ResetStats0Fn = int(STATS_CALL*)(STATS_RESET_PARAMS);
using AddData0Fn = int(STATS_CALL*)(STATS_ADD_DATA_PARAMS);
using RemoveData0Fn = int(STATS_CALL*)(STATS_ADD_DATA_PARAMS);
using CheckCallFunc0Fn = int(STATS_CALL*)(STATS_CHECK_CALL_PARAMS);
using GetResult0Fn = const char*(STATS_CALL*)(int*);
using StatsIsValidExchg0Fn = int(STATS_CALL*)(STATS_VALID_EXCHG_PARAMS);
using StatsGetExchgCount0Fn = int(STATS_CALL*)(STATS_EXCHG_COUNT_PARAMS);
using GetNumberOfSetsFn = int(STATS_CALL*)();
using GetSetNameFn = const char*(STATS_CALL*)(int);
using SetupSet0Fn = void(STATS_CALL*)();
using setVersionFn = unsigned long(STATS_CALL*)(const char*);
