#pragma once
// The demo saver's sounds, synthesised at build time: rain (a loop), a bell, two music tracks.
#include <string>

// Writes rain.wav, bell.wav, demo-music-1.wav and demo-music-2.wav into dir.
void WriteDemoSounds(const std::string& dir);
