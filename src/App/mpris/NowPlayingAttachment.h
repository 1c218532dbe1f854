#pragma once

// Attaches the desktop's media controls to every playing screen's model made from now on: a movie
// player, the live section and the live full-screen view each get their NowPlaying source. Called
// once by whoever puts the app together (again is harmless).
namespace NowPlayingAttachment {
void install();
}
