#pragma once
#include <cstddef>

#include "MAReceiver.h"

// What the Debug File service dialog does when the operator presses "Get
// File" or "Delete File": its questions, the transfer and the outcome
// messages, shared by the desktop and handheld dialogs and the command-line
// tool. The handheld variant carries its own captions and outcome texts.
namespace qvr {

// "Get File", first step: false (after the message) when no save path was
// given, or when the file cannot be written there (the message says why).
bool DebugSavePathGiven(IOperator& ui, const char* path, Variant variant = Variant::Desktop);
// Whether a file can be written at path: not a folder, a device or a pipe,
// in a folder that exists, and writable (tried without changing anything:
// an existing file keeps its bytes, a new one is removed again). False with
// the reason ("it is a folder", "Permission denied", ...).
bool DebugSavePathUsable(const char* path, char* reason, size_t size);
// "Get File", second step: the question whether to retrieve the file; true on OK.
bool ConfirmDebugDownload(IOperator& ui, Variant variant = Variant::Desktop);
// "Get File", last step: the transfer into the file at path, then the
// success or failure message. Runs on the dialog's worker thread.
bool DownloadDebugFileAndReport(MAReceiver& receiver, const char* path, IProgressSink* progress);

// PathRefused: a path where no file can be written (a folder, no such
// folder, no permission), refused before anything is sent.
enum class DebugDownloadResult { EmptyPath, PathRefused, Declined, Succeeded, Failed };
// The three steps in order, for a front end without a dialog in between.
DebugDownloadResult GetDebugFile(MAReceiver& receiver, const char* path, IProgressSink* progress);

enum class DebugDeleteResult { Declined, Deleted, Failed };
// "Delete File": the question, the delete command and its outcome message.
// A delete command that could not be sent is reported as a failure.
DebugDeleteResult DeleteDebugFileAsked(MAReceiver& receiver);

} // namespace qvr
