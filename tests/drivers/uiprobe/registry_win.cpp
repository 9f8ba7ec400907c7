// uiprobe: reading, writing and deleting registry keys and values.
#include "uiprobe.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace uiprobe {

static bool SplitKey(const std::string& full, HKEY* root, std::string* sub) {
    size_t slash = full.find('\\');
    std::string r = Lower(full.substr(0, slash));
    *sub = slash == std::string::npos ? "" : full.substr(slash + 1);
    if (r == "hkcu" || r == "hkey_current_user") *root = HKEY_CURRENT_USER;
    else if (r == "hklm" || r == "hkey_local_machine") *root = HKEY_LOCAL_MACHINE;
    else if (r == "hkcr" || r == "hkey_classes_root") *root = HKEY_CLASSES_ROOT;
    else if (r == "hku" || r == "hkey_users") *root = HKEY_USERS;
    else return false;
    return true;
}

static const char* TypeName(DWORD t) {
    switch (t) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "";
    }
}

static bool ParseType(const std::string& s, DWORD* t) {
    const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
                           REG_MULTI_SZ, REG_QWORD};
    for (size_t i = 0; i < sizeof types / sizeof types[0]; ++i)
        if (Lower(s) == Lower(TypeName(types[i]))) {
            *t = types[i];
            return true;
        }
    char* end = NULL;
    unsigned long v = strtoul(s.c_str(), &end, 0);
    if (s.empty() || *end) return false;
    *t = v;
    return true;
}

static void HexOut(Json& j, const BYTE* p, DWORD n) {
    std::string h;
    char buf[4];
    for (DWORD i = 0; i < n; ++i) {
        snprintf(buf, sizeof buf, "%02x", p[i]);
        h += buf;
    }
    j.str(h);
}

int CmdRegGet(const Options& o) {
    HKEY root;
    std::string sub;
    if (!SplitKey(o.key, &root, &sub)) return Fail(o, kUsage, "bad --key");
    HKEY k;
    Json j;
    j.begin('{');
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) {
        j.kbool("exists", false);
        j.end('}');
        return Finish(o, j, kDone);
    }
    j.kbool("exists", true);
    j.key("values");
    j.begin('{');
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLen = sizeof name;
        DWORD type = 0, size = 0;
        LONG r = RegEnumValueA(k, i, name, &nameLen, NULL, &type, NULL, &size);
        if (r != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + 2, 0);
        DWORD got = size;
        nameLen = sizeof name;
        if (RegEnumValueA(k, i, name, &nameLen, NULL, &type, &data[0], &got) != ERROR_SUCCESS)
            continue;
        j.key(std::string(name, nameLen));
        j.begin('{');
        j.knum("type", type);
        j.kstr("type_name", TypeName(type));
        j.key("hex");
        HexOut(j, &data[0], got);
        j.key("data");
        if ((type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::string s((const char*)&data[0], got);
            while (!s.empty() && s[s.size() - 1] == '\0') s.resize(s.size() - 1);
            j.str(s);
        } else if (type == REG_DWORD && got == 4) {
            DWORD v;
            memcpy(&v, &data[0], 4);
            j.num(v);
        } else if (type == REG_MULTI_SZ) {
            j.begin('[');
            const char* p = (const char*)&data[0];
            const char* end = p + got;
            while (p < end && *p) {
                size_t len = strnlen(p, end - p);
                j.str(std::string(p, len));
                p += len + 1;
            }
            j.end(']');
        } else {
            HexOut(j, &data[0], got);
        }
        j.end('}');
    }
    j.end('}');
    j.key("subkeys");
    j.begin('[');
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        j.str(std::string(name, len));
    }
    j.end(']');
    j.end('}');
    RegCloseKey(k);
    return Finish(o, j, kDone);
}

static bool FromHex(const std::string& h, std::vector<BYTE>* out) {
    out->clear();
    if (h.size() % 2) return false;
    for (size_t i = 0; i < h.size(); i += 2) {
        char two[3] = {h[i], h[i + 1], 0};
        char* end = NULL;
        unsigned long v = strtoul(two, &end, 16);
        if (*end) return false;
        out->push_back((BYTE)v);
    }
    return true;
}

int CmdRegSet(const Options& o) {
    HKEY root;
    std::string sub;
    DWORD type = REG_SZ;
    if (!SplitKey(o.key, &root, &sub)) return Fail(o, kUsage, "bad --key");
    if (!o.hasValue) return Fail(o, kUsage, "regset needs --value");
    if (!o.type.empty() && !ParseType(o.type, &type)) return Fail(o, kUsage, "bad --type");
    std::vector<BYTE> bytes;
    if (o.hasHex) {
        if (!FromHex(o.hex, &bytes)) return Fail(o, kUsage, "bad --hex");
    } else if (!o.hasData) {
        return Fail(o, kUsage, "regset needs --data or --hex");
    } else if (type == REG_DWORD) {
        DWORD v = strtoul(o.data.c_str(), NULL, 0);
        bytes.resize(4);
        memcpy(&bytes[0], &v, 4);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        bytes.assign(o.data.begin(), o.data.end());
        bytes.push_back(0);
    } else {
        bytes.assign(o.data.begin(), o.data.end());
    }
    HKEY k;
    if (RegCreateKeyExA(root, sub.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &k, NULL) != ERROR_SUCCESS)
        return Fail(o, kFailed, "cannot create key");
    LONG r = RegSetValueExA(k, o.value.c_str(), 0, type, bytes.empty() ? NULL : &bytes[0],
                            (DWORD)bytes.size());
    RegCloseKey(k);
    Json j;
    j.begin('{');
    j.kbool("written", r == ERROR_SUCCESS);
    j.end('}');
    return Finish(o, j, r == ERROR_SUCCESS ? kDone : kFailed);
}

static LONG DeleteTree(HKEY root, const std::string& sub) {
    HKEY k;
    LONG r = RegOpenKeyExA(root, sub.c_str(), 0, KEY_READ | KEY_WRITE, &k);
    if (r != ERROR_SUCCESS) return r;
    for (;;) {
        char name[1024];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, 0, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        if (DeleteTree(k, std::string(name, len)) != ERROR_SUCCESS) break;
    }
    RegCloseKey(k);
    return RegDeleteKeyA(root, sub.c_str());
}

int CmdRegDel(const Options& o) {
    HKEY root;
    std::string sub;
    if (!SplitKey(o.key, &root, &sub) || sub.empty()) return Fail(o, kUsage, "bad --key");
    LONG r;
    if (o.hasValue) {
        HKEY k;
        r = RegOpenKeyExA(root, sub.c_str(), 0, KEY_WRITE, &k);
        if (r == ERROR_SUCCESS) {
            r = RegDeleteValueA(k, o.value.c_str());
            RegCloseKey(k);
        }
    } else {
        r = DeleteTree(root, sub);
    }
    Json j;
    j.begin('{');
    j.kbool("deleted", r == ERROR_SUCCESS);
    j.knum("status", r);
    j.end('}');
    bool absent = r == ERROR_FILE_NOT_FOUND;
    return Finish(o, j, r == ERROR_SUCCESS ? kDone : absent ? kNotFound : kFailed);
}

}  // namespace uiprobe
