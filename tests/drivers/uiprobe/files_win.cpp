// uiprobe: what Windows itself reads out of a file: a shell link's target,
// working folder and description, and a program's version resource.
#include "uiprobe.h"

#include <objidl.h>
#include <shlobj.h>

namespace uiprobe {

int CmdLink(const Options& o) {
    if (o.path.empty()) return Fail(o, kUsage, "link needs --path");
    HRESULT init = CoInitialize(NULL);
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    char target[MAX_PATH] = "", dir[MAX_PATH] = "", desc[MAX_PATH] = "";
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  (void**)&link);
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, (void**)&file);
    if (SUCCEEDED(hr)) hr = file->Load(Widen(o.path).c_str(), STGM_READ);
    if (SUCCEEDED(hr)) hr = link->GetPath(target, MAX_PATH, NULL, SLGP_RAWPATH);
    if (SUCCEEDED(hr)) hr = link->GetWorkingDirectory(dir, MAX_PATH);
    if (SUCCEEDED(hr)) hr = link->GetDescription(desc, MAX_PATH);
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    if (FAILED(hr)) return Fail(o, kFailed, "cannot read the link");
    Json j;
    j.begin('{');
    j.kstr("target", target);
    j.kstr("workdir", dir);
    j.kstr("description", desc);
    j.end('}');
    return Finish(o, j, kDone);
}

// The fixed part's numbers and the strings of the first language and code page.
int CmdVersion(const Options& o) {
    if (o.path.empty()) return Fail(o, kUsage, "version needs --path");
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(o.path.c_str(), &handle);
    if (size == 0) return Fail(o, kFailed, "no version resource");
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    struct { WORD language, codePage; }* translation = NULL;
    if (!GetFileVersionInfoA(o.path.c_str(), 0, size, &data[0]) ||
        !VerQueryValueA(&data[0], "\\", (void**)&fixed, &length) || length < sizeof *fixed ||
        !VerQueryValueA(&data[0], "\\VarFileInfo\\Translation", (void**)&translation, &length) ||
        length < sizeof *translation)
        return Fail(o, kFailed, "unreadable version resource");
    Json j;
    j.begin('{');
    j.knum("signature", fixed->dwSignature);
    j.knum("filems", fixed->dwFileVersionMS);
    j.knum("filels", fixed->dwFileVersionLS);
    j.knum("productms", fixed->dwProductVersionMS);
    j.knum("productls", fixed->dwProductVersionLS);
    j.knum("language", translation->language);
    j.knum("codepage", translation->codePage);
    static const char* const names[] = {"CompanyName", "FileDescription", "FileVersion",
                                        "InternalName", "LegalCopyright", "OriginalFilename",
                                        "ProductName", "ProductVersion"};
    j.key("strings");
    j.begin('{');
    for (const char* name : names) {
        char query[128];
        snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                 translation->codePage, name);
        char* text = NULL;
        if (VerQueryValueA(&data[0], query, (void**)&text, &length) && text)
            j.kstr(name, std::string(text, strnlen(text, length)));
    }
    j.end('}');
    j.end('}');
    return Finish(o, j, kDone);
}

}  // namespace uiprobe
