// The program's pictures: our own SVG files (src/ui/icons), compiled in with
// the ui resources and rendered at the size a control asks for.
//
// Main thread only (they need the QGuiApplication).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace orvia {

// The picture names (the SVG file names without ".svg").
inline constexpr const char* kPictureWindowIcon = "orvia";
inline constexpr const char* kPictureTray = "tray";
inline constexpr const char* kPictureSplash = "splash";
inline constexpr const char* kPictureOn = "on";
inline constexpr const char* kPictureOff = "off";
inline constexpr const char* kPicturePlay = "play";
inline constexpr const char* kPicturePlayIdle = "play-idle";
inline constexpr const char* kPictureEmail = "email";
inline constexpr const char* kPictureEmailIdle = "email-idle";
inline constexpr const char* kPictureDelete = "delete";
inline constexpr const char* kPictureDeleteIdle = "delete-idle";
inline constexpr const char* kPictureUnread = "unread";
inline constexpr const char* kPictureRead = "read";
// The record control's buttons.
inline constexpr const char* kPictureRecord = "rec-record";
inline constexpr const char* kPictureRecordPlay = "rec-play";
inline constexpr const char* kPictureScrub = "rec-scrub";
inline constexpr const char* kPictureStop = "rec-stop";
inline constexpr const char* kPictureGoToStart = "rec-start";
inline constexpr const char* kPictureRewind = "rec-rewind";
inline constexpr const char* kPictureForward = "rec-forward";
inline constexpr const char* kPictureGoToEnd = "rec-end";
inline constexpr const char* kPictureRetake = "rec-retake";

// Makes the compiled-in resources (pictures and help pages) available; the
// front end and the tests call it once before the first window.
void InitUiResources();

// The picture as an icon, sharp at any size (rendered from the SVG on demand).
QIcon Picture(const char* name);
// The picture rendered at exactly this size (device-independent pixels).
QPixmap PicturePixmap(const char* name, QSize size);

}  // namespace orvia
