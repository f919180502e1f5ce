// The Debug File dialog's questions and outcome messages around the
// receiver's debug-file operations.
#include "DebugFileActions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/FileBeside.h"
#include "platform/RegularFile.h"

namespace qvr {

namespace {

// The texts each program shows are in its profile.
const DebugFileTexts& Texts(Variant variant) { return Profile(variant).debugFile; }

constexpr size_t kDebugPathMessageSize = 1400;

// Whether the folder a path names a file in exists ("." for a bare name).
bool FolderOfPathExists(const char* path) {
    char folder[1024];
    size_t end = 0;
    for (size_t i = 0; path[i] != '\0'; ++i)
        if (path[i] == '/' || path[i] == '\\') end = i + 1;
    if (end == 0) return true;
    if (end >= sizeof folder) return false;
    std::memcpy(folder, path, end);
    folder[end] = '\0';
    return InspectPath(folder) == PathKind::Folder;
}
const char* const kDeleteFailed = "The debug file could not be deleted: the receiver could not be reached.";

} // namespace

bool DebugSavePathUsable(const char* path, char* reason, size_t size) {
    const auto refuse = [&](const char* why) {
        if (size > 0) std::snprintf(reason, size, "%s", why);
        return false;
    };
    if (size > 0) reason[0] = '\0';
    if (!path || path[0] == '\0') return refuse("no path given");
    // The download writes the file a symbolic link points to; that file is
    // what is checked. Nothing on disk is changed here: the operator may
    // still decline.
    char target[MAReceiver::kMaxPathSize];
    errno = 0;
    if (!ResolveFinalTarget(path, target, sizeof target))
        return refuse(errno == ELOOP ? "its symbolic links loop" : "the name is too long");
    const PathKind kind = InspectPath(target);
    if (kind == PathKind::Folder) return refuse("it is a folder");
    // A device or a pipe is never written over (nor replaced).
    if (kind == PathKind::Other) return refuse("it is not a regular file");
    // (A name in a missing folder is not found, or, on some systems, not
    // reachable.)
    if ((kind == PathKind::Missing || kind == PathKind::Inaccessible) && !FolderOfPathExists(target))
        return refuse("its folder does not exist");
    // An existing file must be one the operator may write: opened for
    // writing without changing it.
    if (kind == PathKind::RegularFile) {
        errno = 0;
        std::FILE* file = std::fopen(target, "r+b");
        if (!file) return refuse(errno != 0 ? std::strerror(errno) : "it cannot be written");
        std::fclose(file);
    } else if (kind == PathKind::Inaccessible) {
        return refuse(std::strerror(EACCES));
    }
    // The download writes a temporary file beside it and renames it into
    // place: the folder must take a new file. Tried with one, removed again.
    char probe[MAReceiver::kMaxPathSize];
    int error = 0;
    std::FILE* file = CreateFileBeside(target, probe, sizeof probe, &error);
    if (!file) {
        if (error == ENAMETOOLONG) return refuse("the name is too long");
        char why[160];
        std::snprintf(why, sizeof why, "its folder cannot be written to (%s)", std::strerror(error));
        return refuse(why);
    }
    std::fclose(file);
    std::remove(probe);
    return true;
}

bool DebugSavePathGiven(IOperator& ui, const char* path, Variant variant) {
    if (!path || path[0] == '\0') {
        ui.ShowMessage("Please check file save path, it appears to be empty.", Texts(variant).emptyPathCaption,
                       MessageIcon::Error, MessageButtons::Ok);
        return false;
    }
    char reason[128];
    if (DebugSavePathUsable(path, reason, sizeof reason)) return true;
    char message[kDebugPathMessageSize];
    std::snprintf(message, sizeof message, "The debug file cannot be saved as %s: %s. Please check file save path.",
                  path, reason);
    ui.ShowMessage(message, Texts(variant).emptyPathCaption, MessageIcon::Error, MessageButtons::Ok);
    return false;
}

bool ConfirmDebugDownload(IOperator& ui, Variant variant) {
    return ui.ShowMessage("Are you sure you wish to retrieve the file? It may take a long time to download.",
                          Texts(variant).questionCaption, MessageIcon::Exclamation,
                          MessageButtons::OkCancel) == MessageAnswer::Ok;
}

bool DownloadDebugFileAndReport(MAReceiver& receiver, const char* path, IProgressSink* progress) {
    const DebugFileTexts& texts = Texts(receiver.GetVariant());
    const bool ok = receiver.DownloadDebugFile(path, progress);
    receiver.Ui().ShowMessage(ok ? texts.downloadSucceeded : texts.downloadFailed,
                              ok ? texts.downloadSucceededCaption : texts.downloadFailedCaption, MessageIcon::None,
                              MessageButtons::Ok);
    return ok;
}

DebugDownloadResult GetDebugFile(MAReceiver& receiver, const char* path, IProgressSink* progress) {
    const Variant variant = receiver.GetVariant();
    if (!DebugSavePathGiven(receiver.Ui(), path, variant))
        return path && path[0] ? DebugDownloadResult::PathRefused : DebugDownloadResult::EmptyPath;
    if (!ConfirmDebugDownload(receiver.Ui(), variant)) return DebugDownloadResult::Declined;
    return DownloadDebugFileAndReport(receiver, path, progress) ? DebugDownloadResult::Succeeded
                                                                : DebugDownloadResult::Failed;
}

DebugDeleteResult DeleteDebugFileAsked(MAReceiver& receiver) {
    const DebugFileTexts& texts = Texts(receiver.GetVariant());
    IOperator& ui = receiver.Ui();
    if (ui.ShowMessage("Are you sure you wish to delete the debug file?", texts.questionCaption,
                       MessageIcon::Exclamation, MessageButtons::OkCancel) != MessageAnswer::Ok)
        return DebugDeleteResult::Declined;
    // The receiver does not acknowledge the delete: success means the
    // command went out whole.
    if (!receiver.DeleteDebugFile()) {
        ui.ShowMessage(kDeleteFailed, texts.deleteFailedCaption, MessageIcon::Error, MessageButtons::Ok);
        return DebugDeleteResult::Failed;
    }
    ui.ShowMessage(texts.deleted, texts.deletedCaption, MessageIcon::None, MessageButtons::Ok);
    return DebugDeleteResult::Deleted;
}

} // namespace qvr
