/* Code for the fixture DLLs that have a code section: an entry point that
   accepts every notification and one exported function, so the images carry
   ordinary .text and .edata sections. No C runtime is linked. */

__declspec(dllexport) int __stdcall FixtureVersion(void)
{
    return 1;
}

int __stdcall DllMain(void *instance, unsigned long reason, void *reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
