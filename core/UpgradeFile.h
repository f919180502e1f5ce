#pragma once
#include <cstdint>
#include <cstdio>

namespace qvr {

// The radio upgrade files (".sfo" for the UHF radio, ".jar" for the GSM
// module's applet) are checked before anything else happens: a regular file,
// readable, not empty and not larger than its kind can be. The limits keep
// an odd file from starting a transfer of hours: a UHF radio image goes in
// 132-byte program messages at about 0.1 s each (1 MiB: about 13 minutes),
// an applet in 250-byte pieces at about 25 ms each (4 MiB: about 7 minutes).
inline constexpr uint64_t kMaxUhfUpgradeFileBytes = 1024 * 1024;
inline constexpr uint64_t kMaxAppletFileBytes = 4 * 1024 * 1024;

enum class UpgradeFileKind { UhfFirmware, GsmApplet };
enum class UpgradeFileProblem { None, Missing, Folder, NotAFile, Unreadable, Empty, TooLarge, NameTooLong };

// Opens the upgrade file for binary reading (never blocking on a pipe or a
// device). Null, with *problem, when it cannot be used; else the open file
// and its size.
std::FILE* OpenUpgradeFile(const char* path, UpgradeFileKind kind, uint64_t* size, UpgradeFileProblem* problem);
// The same check without keeping the file open.
UpgradeFileProblem CheckUpgradeFile(const char* path, UpgradeFileKind kind);
// What the operator is told; nullptr for None. A missing file gets the
// pages' own "The specified upgrade file does not seem to exist. Please
// reselect and try again.".
const char* UpgradeFileProblemText(UpgradeFileProblem problem, UpgradeFileKind kind);

} // namespace qvr
