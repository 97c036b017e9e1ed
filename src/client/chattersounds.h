#pragma once

#include <QString>

namespace client {

// Titles of the twenty chatter sounds, "wave1" to "wave20".
inline QString chatterSoundTitle(int number)
{
    static const char* const kTitles[] = {
        "Doh",       "Cough",    "Hello",          "Thank You",    "Where have you been?",
        "Snoring",   "Sneezing", "Sorry",          "Welcome",      "Yeehaa",
        "Yippee",    "Oh No",    "Applause",       "Honk",         "Oooh",
        "Razzberry", "Cheer",    "Woman Laughing", "Man Laughing", "Crying"};
    return number >= 1 && number <= 20 ? QString::fromLatin1(kTitles[number - 1]) : QString();
}

} // namespace client
