#include "platform/file_placement_win32.h"

#include <windows.h>
#include <winioctl.h>

#include <map>
#include <mutex>
#include <string>

namespace {

// A device that does not answer counts as one that seeks: reading in the order of places costs
// other storage little, and saves a rotating disk much.
bool AskSeekPenalty(HANDLE file) {
    wchar_t path[MAX_PATH + 64];
    const DWORD length = GetFinalPathNameByHandleW(file, path, MAX_PATH + 64,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_GUID);
    if (length == 0 || length >= MAX_PATH + 64) {
        // Files of a network share have no volume of the machine's own.
        FILE_REMOTE_PROTOCOL_INFO remote{};
        return GetFileInformationByHandleEx(file, FileRemoteProtocolInfo, &remote, sizeof remote) ==
               0;
    }
    // "\\?\Volume{...}\rest": the volume is opened as "\\?\Volume{...}".
    std::wstring volume(path, length);
    const std::size_t end = volume.find(L'\\', 4);
    volume.resize(end == std::wstring::npos ? volume.size() : end);
    const HANDLE device = CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return true;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
    DWORD got = 0;
    const bool answered =
        DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer,
                        sizeof answer, &got, nullptr) != 0 &&
        got >= sizeof answer;
    CloseHandle(device);
    return !answered || answer.IncursSeekPenalty != FALSE;
}

// What is known of the volumes: a run's files lie on few.
std::mutex knownMutex;
std::map<DWORD, bool> known;

bool SeekPenalty(HANDLE file, DWORD volume) {
    {
        const std::lock_guard lock(knownMutex);
        if (const auto found = known.find(volume); found != known.end())
            return found->second;
    }
    const bool penalty = AskSeekPenalty(file);
    const std::lock_guard lock(knownMutex);
    known.emplace(volume, penalty);
    return penalty;
}

}  // namespace

void ForgetStoragePlacements() {
    const std::lock_guard lock(knownMutex);
    known.clear();
}

FilePlacement PlacementOfHandle(void* file) {
    FilePlacement placement;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information) == 0)
        return placement;
    placement.storage = information.dwVolumeSerialNumber;
    placement.seekPenalty = SeekPenalty(file, information.dwVolumeSerialNumber);
    if (!placement.seekPenalty)
        return placement;
    // The first run of clusters alone: a file of many answers "more data", with the first filled.
    STARTING_VCN_INPUT_BUFFER from{};
    RETRIEVAL_POINTERS_BUFFER runs{};
    DWORD got = 0;
    const bool answered = DeviceIoControl(file, FSCTL_GET_RETRIEVAL_POINTERS, &from, sizeof from,
                                          &runs, sizeof runs, &got, nullptr) != 0 ||
                          GetLastError() == ERROR_MORE_DATA;
    // A cluster of -1 is no place on the disk (a sparse or compressed stretch).
    if (answered && runs.ExtentCount > 0 && runs.Extents[0].Lcn.QuadPart >= 0)
        placement.firstPlace = static_cast<std::uint64_t>(runs.Extents[0].Lcn.QuadPart);
    return placement;
}
