#include "tags/music_genre.h"

#include <gtest/gtest.h>

namespace tagwright {
namespace {

TEST(GenreName, NamesZeroTo125AndNothingElse) {
    const std::pair<int, const char*> cases[] = {
        {0, "Blues"},
        {12, "Other"},
        {14, "R&B"},
        {24, "Soundtrack"},
        {29, "Jazz+Funk"},
        {40, "AlternRock"},
        {62, "Pop/Funk"},
        {67, "Psychadelic"},
        {78, "Rock & Roll"},
        {79, "Hard Rock"},
        {80, "Folk"},
        {85, "Bebob"},
        {93, "Psychedelic Rock"},
        {100, "Humour"},
        {123, "A capella"},
        {124, "Euro-House"},
        {125, "Dance Hall"},
        {126, ""},
        {255, ""},
        {-1, ""},
        {32767, ""},
        {-32768, ""},
    };
    for (const auto& [number, name] : cases) {
        EXPECT_EQ(MUSICGENRE::GenreName(static_cast<std::int16_t>(number)), name) << number;
    }
}

}  // namespace
}  // namespace tagwright
