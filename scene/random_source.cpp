// The scene's pseudo-random numbers and the seed taken from the system clock.
#include "scene/scene.h"

void seedRandom(RandomSource& random, std::uint32_t seed) {
    random.state = seed;
}

std::uint32_t secondsSince1970(std::uint64_t fileTime) {
    return static_cast<std::uint32_t>((fileTime - fileTimeOf1970) / fileTimeUnitsPerSecond);
}

std::int32_t drawRandom(RandomSource& random) {
    random.state = random.state * 214013u + 2531011u;
    return static_cast<std::int32_t>((random.state >> 16) & 0x7FFF);
}
