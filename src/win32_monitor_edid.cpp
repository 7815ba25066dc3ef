// The primary monitor's EDID on Windows: its device interface from USER, then the EDID value
// that the monitor's driver keeps in the device's registry key, found through SetupAPI.
#include "monitor_edid.h"

#include "edid.h"

#include <windows.h>

#include <setupapi.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

// The monitor device interface class; Debian's mingw-w64 headers do not declare it.
constexpr GUID monitorInterfaceClass = {
    0xE6F07B5F, 0xEE97, 0x4A90, {0xB0, 0x76, 0x33, 0xF5, 0x7B, 0xF4, 0xEA, 0xA7}};

// An EDID has at most 256 blocks of 128 bytes; only the base block is read.
constexpr DWORD edidReadLimit = 256 * 128;

struct PrimaryMonitor {
    std::wstring adapterName;   // such as \\.\DISPLAY1
    std::wstring interfacePath; // the monitor's device interface, \\?\DISPLAY#...
};

std::optional<PrimaryMonitor> primaryMonitor() {
    HMONITOR monitor = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || GetMonitorInfoW(monitor, &info) == 0) {
        return std::nullopt;
    }
    DISPLAY_DEVICEW device{};
    device.cb = sizeof device;
    if (EnumDisplayDevicesW(info.szDevice, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME) == 0 ||
        device.DeviceID[0] == L'\0') {
        return std::nullopt;
    }
    return PrimaryMonitor{info.szDevice, device.DeviceID};
}

// The registry value EDID of a monitor device, up to the read limit.
std::vector<std::uint8_t> edidOfDevice(HDEVINFO devices, SP_DEVINFO_DATA &device) {
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::vector<std::uint8_t> edid(edidReadLimit);
    DWORD type = 0;
    DWORD length = edidReadLimit;
    const LSTATUS status = RegQueryValueExW(key, L"EDID", nullptr, &type, edid.data(), &length);
    RegCloseKey(key);
    // A value longer than the limit is read as nothing; no real EDID is that long.
    if (status != ERROR_SUCCESS || type != REG_BINARY || length > edidReadLimit) {
        return {};
    }
    edid.resize(length);
    return edid;
}

// The EDID of the present monitor whose device interface is `interfacePath`.
std::vector<std::uint8_t> edidOfInterface(const std::wstring &interfacePath) {
    HDEVINFO devices = SetupDiGetClassDevsW(&monitorInterfaceClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::vector<std::uint8_t> edid;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(devices, nullptr, &monitorInterfaceClass,
                                                      index, &interfaceData) != 0;
         ++index) {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            continue;
        }
        // The detail is a header followed by the path; DWORD-aligned storage holds it.
        std::vector<DWORD> storage(required / sizeof(DWORD) + 1);
        auto *detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W *>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (SetupDiGetDeviceInterfaceDetailW(devices, &interfaceData, detail, required, nullptr,
                                             &device) == 0) {
            continue;
        }
        // Windows spells the same path in upper and in lower case in different places.
        if (_wcsicmp(detail->DevicePath, interfacePath.c_str()) == 0) {
            edid = edidOfDevice(devices, device);
            break;
        }
    }
    SetupDiDestroyDeviceInfoList(devices);
    return edid;
}

bool turnedAQuarter(const std::wstring &adapterName) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(adapterName.c_str(), ENUM_CURRENT_SETTINGS, &mode) == 0) {
        return false;
    }
    return mode.dmDisplayOrientation == DMDO_90 || mode.dmDisplayOrientation == DMDO_270;
}

} // namespace

std::optional<ScreenSize> monitorEdidSize() {
    const auto monitor = primaryMonitor();
    if (!monitor) {
        return std::nullopt;
    }
    auto size = edidScreenSize(edidOfInterface(monitor->interfacePath));
    if (size && turnedAQuarter(monitor->adapterName)) {
        std::swap(size->screenWidth, size->screenHeight);
    }
    return size;
}
