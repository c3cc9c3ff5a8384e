// Two entry points that differ only in who removes the arguments: the
// checker of the shipped DLL must accept the first and refuse the second.
extern "C" __declspec(dllexport) int CallerCleansUp(int a, int b) { return a + b; }
extern "C" __declspec(dllexport) int __stdcall CalleeCleansUp(int a, int b) { return a * b; }
