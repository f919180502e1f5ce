#include "UpgradeFile.h"

#include "platform/RegularFile.h"

namespace qvr {

std::FILE* OpenUpgradeFile(const char* path, UpgradeFileKind kind, uint64_t* size, UpgradeFileProblem* problem) {
    const auto fail = [&](UpgradeFileProblem why, std::FILE* file) -> std::FILE* {
        if (file) std::fclose(file);
        if (problem) *problem = why;
        return nullptr;
    };
    if (problem) *problem = UpgradeFileProblem::None;
    uint64_t bytes = 0;
    FileOpenProblem openProblem = FileOpenProblem::None;
    std::FILE* file = OpenRegularFileForReading(path, &bytes, &openProblem);
    if (size) *size = bytes;
    switch (openProblem) {
    case FileOpenProblem::None: break;
    case FileOpenProblem::Missing: return fail(UpgradeFileProblem::Missing, file);
    case FileOpenProblem::Folder: return fail(UpgradeFileProblem::Folder, file);
    case FileOpenProblem::NotAFile: return fail(UpgradeFileProblem::NotAFile, file);
    case FileOpenProblem::Unreadable: return fail(UpgradeFileProblem::Unreadable, file);
    case FileOpenProblem::NameTooLong: return fail(UpgradeFileProblem::NameTooLong, file);
    }
    if (!file) return fail(UpgradeFileProblem::Unreadable, file);
    if (bytes == 0) return fail(UpgradeFileProblem::Empty, file);
    const uint64_t limit = kind == UpgradeFileKind::GsmApplet ? kMaxAppletFileBytes : kMaxUhfUpgradeFileBytes;
    if (bytes > limit) return fail(UpgradeFileProblem::TooLarge, file);
    return file;
}

UpgradeFileProblem CheckUpgradeFile(const char* path, UpgradeFileKind kind) {
    UpgradeFileProblem problem = UpgradeFileProblem::None;
    if (std::FILE* file = OpenUpgradeFile(path, kind, nullptr, &problem)) std::fclose(file);
    return problem;
}

const char* UpgradeFileProblemText(UpgradeFileProblem problem, UpgradeFileKind kind) {
    const bool applet = kind == UpgradeFileKind::GsmApplet;
    switch (problem) {
    case UpgradeFileProblem::None: return nullptr;
    case UpgradeFileProblem::Missing:
        return "The specified upgrade file does not seem to exist. Please reselect and try again.";
    case UpgradeFileProblem::Folder:
        return "The specified upgrade file is a folder, not a file. Please reselect and try again.";
    case UpgradeFileProblem::NotAFile:
        return "The specified upgrade file is not a regular file (a pipe or a device?). Please reselect and try "
               "again.";
    case UpgradeFileProblem::Unreadable:
        return "The specified upgrade file cannot be read (permission denied?). Please reselect and try again.";
    case UpgradeFileProblem::NameTooLong:
        return "The specified upgrade file's name is too long for this system. Please reselect and try again.";
    case UpgradeFileProblem::Empty: return "The specified upgrade file is empty. Please reselect and try again.";
    case UpgradeFileProblem::TooLarge:
        return applet ? "The specified upgrade file is larger than 4 MB, too large for a GSM applet. Please "
                        "reselect and try again."
                      : "The specified upgrade file is larger than 1 MB, too large for a UHF radio firmware file. "
                        "Please reselect and try again.";
    }
    return nullptr;
}

} // namespace qvr
