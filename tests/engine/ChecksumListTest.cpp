#include "engine/ChecksumList.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <optional>

TEST(ChecksumList, FindsTheAssetsDigest) {
    const QString asset = "Godot_v4.2.2-stable_linux.x86_64.zip";
    const QString a(128, 'a');
    const QString b(128, 'b');
    const std::tuple<const char*, QString, std::optional<QString>> cases[] = {
        {"binary mark", a + " *" + asset + "\n", a},
        {"tab and no final newline", a + "\t" + asset, a},
        {"upper-case digest", a.toUpper() + "  " + asset + "\n", a},
        {"other assets around it",
         b + "  Godot_v4.2.2-stable_win64.exe.zip\n" + a + "  " + asset + "\n" + b + "  " + asset +
             ".txt\n",
         a},
        {"the last of several lines wins", a + "  " + asset + "\n" + b + "  " + asset + "\n", b},
        {"empty lines and a lone field", "\n\n" + b + "\n" + a + "  " + asset + "\r\n\n", a},
        {"name differs in case", a + "  " + asset.toLower() + "\n", std::nullopt},
        {"name is only a prefix", a + "  Godot_v4.2.2-stable_linux.x86_64\n", std::nullopt},
    };
    for (const auto& [what, text, digest] : cases)
        EXPECT_EQ(ChecksumList::digestFor(text, asset), digest) << what;
}
