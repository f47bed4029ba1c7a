/* The in-process COM server of the corpus installers (64- and 32-bit builds). It offers no
   class: the corpus check needs a real library at the registered path, not a working class. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void) {
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    (void)clsid;
    (void)iid;
    if (out)
        *out = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}
