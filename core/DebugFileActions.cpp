// The Debug File dialog's questions and outcome messages around the
// receiver's debug-file operations.
#include "DebugFileActions.h"

namespace qvr {

namespace {

// The texts each program shows are in its profile.
const DebugFileTexts& Texts(Variant variant) { return Profile(variant).debugFile; }

const char* const kDeleteFailed = "The debug file could not be deleted: the receiver could not be reached.";

} // namespace

bool DebugSavePathGiven(IOperator& ui, const char* path, Variant variant) {
    if (path && path[0] != '\0') return true;
    ui.ShowMessage("Please check file save path, it appears to be empty.", Texts(variant).emptyPathCaption,
                   MessageIcon::Error, MessageButtons::Ok);
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
    if (!DebugSavePathGiven(receiver.Ui(), path, variant)) return DebugDownloadResult::EmptyPath;
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
