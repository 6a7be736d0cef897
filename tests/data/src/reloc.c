/* Code for reloc.dll. The initialised pointers below hold absolute
   addresses, so the linker has to emit base relocations for them; that is
   what gives the image a .reloc section behind .rsrc. */

static int counter = 7;
static const char label[] = "reloc fixture";

/* Uninitialised data: a .bss section, which has no bytes in the file. */
static int scratch[64];

int *counter_ref = &counter;
const char *label_ref = label;

__declspec(dllexport) int __stdcall FixtureVersion(void)
{
    scratch[0] += *counter_ref;
    return scratch[0] + label_ref[0];
}

int __stdcall DllMain(void *instance, unsigned long reason, void *reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
