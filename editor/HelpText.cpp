#include "editor/HelpText.h"

#include <cstring>

namespace gyrelle {

const char* const kHelpLines[] = {
    "",
    "WHAT IS GYRELLE?",
    "",
    "Gyrelle mixes together multiple pitch-shifts of your input signal,",
    "increasing or decreasing their pitches in parallel, and fades them in/out",
    "at the extremes of their range.  This can create the illusion of a sound",
    "that seems to continually rise or fall, but doesn't actually change in",
    "average pitch.  Gyrelle works best with long, static sounds such as",
    "repeated drum patterns or 'pad' sounds.",
    "",
    "The parameters:",
    "",
    "GROOVES: number of parallel pitch-shifts used.",
    "",
    "RANGE: number of semitones over which the grooves are spaced",
    "",
    "SPEED: rate at which groove rise or fall in pitch.  Units are in cycles",
    "per second (Hz).",
    "",
    "PITCH BIAS: biases the grooves towards the bottom or top of their",
    "movement range.",
    "",
    "VOL BIAS: pulls the fade at the ends of the gyrelle from concave",
    "(negative), through straight (zero), to convex (positive).",
    "",
    "LOUDEST PITCH: raises or lowers the centre point for the fades.",
    "",
    "RENDER LEVEL: higher render levels produce cleaner sounding results,",
    "but take more CPU time.  If CPU time runs out, RENDER LEVEL will",
    "automatically decrease.",
    "",
    "DRY/WET SLIDERS: mix gyrelled sound with input signal.",
    "",
    "For more information see \"README.TXT\".",
    "EOF",
};

int32_t countHelpLines() {
  int32_t n = 0;
  while (std::strcmp(kHelpLines[n], "EOF") != 0) ++n;
  return n;
}

const char* const kHelpTitle = "Gyrelle v1.4 HELP";
const char* const kAboutTitle = "Gyrelle v1.4";
const char* const kAboutLines[kAboutLineCount] = {
    "Designed and built by QuillfenSoundSoftware",
    "",
    "An endless glissando: grooves that rise or fall for ever",
    "Mono and stereo VST 2 effect for Linux",
    "",
    "To reach the publisher, ask where you obtained this plug-in",
};
const char* const kMakerLogoText = "QuillfenEffects";

}  // namespace gyrelle
