// What every command shares: one error style, numbers read the same everywhere, typo hints,
// the version, completion scripts; and a preset made from the command line alone.

#include "CliRunner.h"
#include "ExportTestPhotos.h"
#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
using clitest::contains;
using clitest::runInkstead;
using ov::test::TempDir;

namespace {

TEST(Conventions, BadNumbersNameTheOptionAndWhatIsExpected) {
    TempDir dir;
    clitest::writeTestPhoto(dir / "a.jpg");
    const std::string in = (dir / "a.jpg").string(), out = (dir / "out").string();
    struct Case {
        std::vector<std::string> args;
        const char* error;
        const char* hint;
    };
    const Case cases[] = {
        {{"--opacity", "half"}, "--opacity: \"half\" is not a number", "0.5 or 50%"},
        {{"--opacity", "150%"}, "--opacity: 150% is outside 0 to 1", "0% to 100%"},
        {{"--shadow", "1.5"}, "--shadow: 1.5 is outside 0 to 1", "0% to 100%"},
        {{"--margin", "24"}, "--margin: \"24\" needs a unit", "24px or 24%"},
        {{"--text-width", "30"}, "--text-width: \"30\" needs a unit", "30px or 30%"},
        {{"--resize", "width:30"}, "--resize width:30: \"30\" needs a unit", "30px or 30%"},
        {{"--resize", "200%"}, "--resize 200%: above 100%", "never enlarges"},
        {{"--margin", "70%"}, "--margin: \"70%\" is not a margin", "less than 50%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        std::vector<std::string> args{"export", in, "-o", out, "--text", "Hi"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = runInkstead(args, {.home = dir / "home"});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(contains(result.err, std::string("inkstead: error: ") + c.error)) << result.err;
        EXPECT_TRUE(contains(result.err, "\nhint: ")) << result.err;
        EXPECT_TRUE(contains(result.err, c.hint)) << result.err;
    }
    EXPECT_FALSE(fs::exists(out));
    // The same words are accepted both ways.
    for (const char* opacity : {"0.5", "50%"})
        EXPECT_EQ(runInkstead({"render", in, (dir / (std::string(opacity) + ".png")).string(),
                               "--text", "Hi", "--opacity", opacity, "-q"},
                              {.home = dir / "home"})
                      .exitCode,
                  0);
}

TEST(Conventions, TyposGetTheNearestCommandAndTheVersionComesFromTheProject) {
    const auto help = runInkstead({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("export"), std::string::npos);
    EXPECT_EQ(runInkstead({}).exitCode, 2);

    const auto typo = runInkstead({"exprot", "x", "-o", "y"});
    EXPECT_EQ(typo.exitCode, 2);
    EXPECT_TRUE(contains(typo.err, "inkstead: error: ")) << typo.err;
    EXPECT_TRUE(contains(typo.err, "hint: did you mean `inkstead export`?")) << typo.err;
    const auto nested = runInkstead({"presets", "lst"});
    EXPECT_TRUE(contains(nested.err, "did you mean `inkstead presets list`?")) << nested.err;

    const auto version = runInkstead({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "inkstead " INKSTEAD_VERSION "\n");
}

TEST(Conventions, APresetMadeFromTheCommandLineExportsResizedAndStripped) {
    TempDir dir;
    const clitest::Store store(dir / "home");
    store.ok({"presets", "create", "Web"});
    store.ok({"presets", "set", "Web", "--resize", "long:60px", "--strip-location"});
    store.ok({"presets", "default", "Web"});
    const auto shown = store.ok({"presets", "show", "Web"});
    for (const char* line : {"Web (default)", "Resize:           on", "longest-side",
                             "Resize value:     60px", "Strip location:   yes"})
        EXPECT_TRUE(contains(shown.out, line)) << shown.out;

    clitest::writeTestPhoto(dir / "a.jpg", {.width = 120, .height = 80, .location = true});
    store.ok({"export", (dir / "a.jpg").string(), "-o", (dir / "out").string(), "-q"});
    const auto image = clitest::decodeUpright(dir / "out" / "a.jpg");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 60);
    EXPECT_EQ(image->height(), 40);
    EXPECT_FALSE(
        clitest::readProperties(dir / "out" / "a.jpg").dictionary(ov::kOVPropertyGPSDictionary));
}

TEST(Conventions, EmptyStorageListsNothing) {
    TempDir dir;
    const clitest::Store store(dir / "home");
    store.ok({"presets", "delete", "Default"});
    const auto listed = store.ok({"presets", "list"});
    EXPECT_EQ(listed.out, "");
}

TEST(Conventions, BashCompletionLoadsAndCompletes) {
    TempDir dir;
    const auto script = runInkstead({"completion", "bash"});
    ASSERT_EQ(script.exitCode, 0);
    const fs::path file = ov::test::writeFile(dir / "inkstead.bash", script.out);
    // Loads without a message, and completes a command and an option from the definitions.
    const std::string check =
        "bash --norc --noprofile -c 'set -e; source " + file.string() +
        "; COMP_WORDS=(inkstead pre); COMP_CWORD=1; _inkstead; echo \"${COMPREPLY[*]}\";"
        " COMP_WORDS=(inkstead export --on-c); COMP_CWORD=2; _inkstead;"
        " echo \"${COMPREPLY[*]}\"' > " +
        (dir / "out.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(check.c_str()), 0) << ov::test::readFile(dir / "out.txt");
    EXPECT_EQ(ov::test::readFile(dir / "out.txt"), "presets\n--on-conflict\n");
}

} // namespace
