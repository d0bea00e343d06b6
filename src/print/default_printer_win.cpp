// The default printer's name and DC. Windows NT and Wine report the default through the common dialog's DEVNAMES
// and GetDefaultPrinterA; the spooler's PRINTER_ATTRIBUTE_DEFAULT flag is a 9x-era attribute they leave unset, so
// scanning for it is only the last resort.
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "print/print_win.h"

namespace {

// EnumPrintersA into a buffer grown until it fits; no entries (and an empty buffer) on any failure.
DWORD EnumeratePrinters(DWORD flags, char *name, DWORD level, std::vector<BYTE> *buffer) {
    DWORD needed = 0, count = 0;
    buffer->clear();
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Wine answers the size query of an empty list with success and needed = 0.
        BYTE *data = buffer->empty() ? nullptr : buffer->data();
        if (EnumPrintersA(flags, name, level, data, (DWORD)buffer->size(), &needed, &count)) {
            if (count == 0 || !data) buffer->clear();
            return data ? count : 0;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) break;
        buffer->assign(needed, 0);
    }
    buffer->clear();
    return 0;
}

std::string FlaggedDefaultPrinter() {
    std::vector<BYTE> buffer;
    DWORD count = EnumeratePrinters(PRINTER_ENUM_LOCAL, nullptr, 2, &buffer);
    const auto *info = reinterpret_cast<const PRINTER_INFO_2A *>(buffer.data());
    std::string name; // copied out before the buffer goes
    for (DWORD i = 0; i < count; ++i)
        if ((info[i].Attributes & PRINTER_ATTRIBUTE_DEFAULT) && info[i].pPrinterName) name = info[i].pPrinterName;
    return name;
}

std::string DevNamesDevice(HGLOBAL devNames) {
    std::string name;
    if (!devNames) return name;
    const auto *names = static_cast<const DEVNAMES *>(GlobalLock(devNames));
    if (!names) return name;
    const SIZE_T size = GlobalSize(devNames);
    if (names->wDeviceOffset > 0 && names->wDeviceOffset < size) {
        const char *device = reinterpret_cast<const char *>(names) + names->wDeviceOffset;
        name.assign(device, strnlen(device, size - names->wDeviceOffset));
    }
    GlobalUnlock(devNames);
    return name;
}

std::string FindDefaultPrinter(HWND owner) {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = PD_RETURNDEFAULT;
    std::string name;
    if (PrintDlgA(&pd)) name = DevNamesDevice(pd.hDevNames);
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    if (name.empty()) {
        char buffer[256];
        DWORD size = sizeof buffer;
        if (GetDefaultPrinterA(buffer, &size)) name = buffer;
    }
    if (name.empty()) name = FlaggedDefaultPrinter();
    return name;
}

} // namespace

HDC CreateDefaultPrinterDc(HWND owner) {
    std::string name = FindDefaultPrinter(owner);
    if (name.empty()) return nullptr;
    return CreateDCA("WINSPOOL", name.c_str(), nullptr, nullptr);
}
