#pragma once
#include <string>

namespace orvex {

class CameraTable;

// Export: the camera list written to the file the user chooses ("ipcam.txt" offered),
// in the fixed-column export format. The list is taken first: while an upgrade's tick
// holds the camera table's busy flag, Export waits for it a short, bounded time and
// otherwise tells the user and writes nothing; a file that cannot be written is said too.
// Thread safety: the user-interface thread only.
class ListExport {
public:
    // How long Export waits for a busy camera table, in real milliseconds.
    static constexpr int kBusyWaitMs = 1000;

    // Asks for the file and writes the list; false when nothing was written (cancelled,
    // the list busy, or the file failed: the last two with a box).
    static bool Run(CameraTable& table);
    // Writes the list to `path`; false with the string id of the reason.
    static bool WriteTo(CameraTable& table, const std::wstring& path, int* failure);
};

}  // namespace orvex
