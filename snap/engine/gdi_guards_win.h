// Scope guards that give back what a snapshot borrows from GDI on every
// path out of a function.
#pragma once
#include <windows.h>

// Deletes a device context made with CreateDCA or CreateCompatibleDC.
struct DcGuard {
    HDC dc;
    explicit DcGuard(HDC created) : dc(created) {}
    ~DcGuard()
    {
        if (dc)
            DeleteDC(dc);
    }
    operator HDC() const { return dc; }
    // Deletes the context before the scope ends.
    void Release()
    {
        if (dc)
            DeleteDC(dc);
        dc = NULL;
    }
    DcGuard(const DcGuard &) = delete;
    DcGuard &operator=(const DcGuard &) = delete;
};

// The screen's own context (GetDC of no window), released when the scope
// ends. Drawing and copying in it use the desktop's coordinates on every
// system, also where the primary monitor is not the top-left one (Wine reads
// and draws a "DISPLAY" context from its X screen's own corner instead).
struct ScreenDcGuard {
    HDC dc;
    ScreenDcGuard() : dc(GetDC(NULL)) {}
    ~ScreenDcGuard()
    {
        if (dc)
            ReleaseDC(NULL, dc);
    }
    operator HDC() const { return dc; }
    ScreenDcGuard(const ScreenDcGuard &) = delete;
    ScreenDcGuard &operator=(const ScreenDcGuard &) = delete;
};

// Deletes a GDI object (bitmap, palette, brush) that this scope created.
struct GdiObjectGuard {
    HGDIOBJ object;
    explicit GdiObjectGuard(HGDIOBJ created) : object(created) {}
    ~GdiObjectGuard()
    {
        if (object)
            DeleteObject(object);
    }
    // Deletes the object before the scope ends (select it out first).
    void Release()
    {
        if (object)
            DeleteObject(object);
        object = NULL;
    }
    GdiObjectGuard(const GdiObjectGuard &) = delete;
    GdiObjectGuard &operator=(const GdiObjectGuard &) = delete;
};

// Selects an object into a DC and selects the DC's previous object back when
// the scope ends, so that the object can be deleted (a selected bitmap
// cannot) and the DC is left as it was found. Declare it after the guards of
// the DC and of the object, so that it ends first.
struct SelectGuard {
    HDC dc;
    HGDIOBJ previous;
    SelectGuard(HDC into, HGDIOBJ object) : dc(into), previous(NULL)
    {
        if (dc && object) {
            HGDIOBJ old = SelectObject(dc, object);
            if (old != HGDI_ERROR)
                previous = old;
        }
    }
    ~SelectGuard()
    {
        if (previous)
            SelectObject(dc, previous);
    }
    // Selects the previous object back before the scope ends.
    void Release()
    {
        if (previous)
            SelectObject(dc, previous);
        previous = NULL;
    }
    SelectGuard(const SelectGuard &) = delete;
    SelectGuard &operator=(const SelectGuard &) = delete;
};
