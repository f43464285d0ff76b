// `inkstead export` against files that already exist: the conflict policies, exporting into the
// input folder itself (earlier outputs are known by their mark), and inputs read from a list.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using clitest::runInkstead;
using ov::test::listDirectory;
using ov::test::readFile;
using ov::test::writeFile;

namespace {

using Names = std::vector<std::string>;

using ExportConflict = clitest::TwoPhotoTest;

TEST_F(ExportConflict, PoliciesTreatAnExistingOutputAsAsked) {
    struct Case {
        const char* policy;
        Names entries;
        bool existingKept; // the pre-existing a.jpg still holds its old bytes
        const char* summary;
    };
    const Case cases[] = {
        {"unique", {"a.jpg", "a_Watermarked_1.jpg", "b.jpg"}, true, "Exported 2 images"},
        {"skip", {"a.jpg", "b.jpg"}, true, "1 skipped"},
        {"overwrite", {"a.jpg", "b.jpg"}, false, "Exported 2 images"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.policy);
        const fs::path out = dir / (std::string("out-") + c.policy);
        const std::string old = "not a photo, but someone's file";
        writeFile(out / "a.jpg", old);
        const auto result =
            run({"export", in().string(), "-o", out.string(), "--on-conflict", c.policy});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(listDirectory(out), c.entries);
        EXPECT_EQ(readFile(out / "a.jpg") == old, c.existingKept);
        EXPECT_NE(result.err.find(c.summary), std::string::npos) << result.err;
        if (!c.existingKept) {
            EXPECT_TRUE(clitest::decodeUpright(out / "a.jpg")) << "replaced by a whole image";
        }
    }
}

TEST_F(ExportConflict, OverwriteNeverReplacesThePhotoItself) {
    const std::string before = readFile(in("a.jpg"));
    const auto result = run(
        {"export", in("a.jpg").string(), "-o", in().string(), "--on-conflict", "overwrite", "-q"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("would replace the photo itself"), std::string::npos) << result.err;
    EXPECT_EQ(readFile(in("a.jpg")), before);
}

TEST_F(ExportConflict, ExportingBesideTheOriginalsSkipsEarlierOutputs) {
    const std::string a = readFile(in("a.jpg"));
    ASSERT_EQ(run({"export", in().string(), "-o", in().string(), "-q"}).exitCode, 0);
    EXPECT_EQ(listDirectory(in()),
              (Names{"a.jpg", "a_Watermarked_1.jpg", "b.jpg", "b_Watermarked_1.jpg"}));

    const auto plan = run({"export", in().string(), "-o", in().string(), "--dry-run"});
    EXPECT_NE(plan.out.find("skip " + in("a_Watermarked_1.jpg").string() +
                            ": an output of an earlier export"),
              std::string::npos)
        << plan.out;

    const auto second = run({"export", in().string(), "-o", in().string()});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(listDirectory(in()), (Names{"a.jpg", "a_Watermarked_1.jpg", "a_Watermarked_2.jpg",
                                          "b.jpg", "b_Watermarked_1.jpg", "b_Watermarked_2.jpg"}));
    EXPECT_NE(second.err.find("Exported 2 images"), std::string::npos) << second.err;
    EXPECT_EQ(readFile(in("a.jpg")), a);

    const auto again = run({"export", in("a_Watermarked_1.jpg").string(), "-o",
                            (dir / "more").string(), "--include-outputs", "-q"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(listDirectory(dir / "more"), Names{"a_Watermarked_1.jpg"});
}

TEST_F(ExportConflict, InputsFromAListOnStandardInput) {
    const fs::path list = writeFile(dir / "list.txt", in("b.jpg").string() + "\r\n\n" +
                                                          (dir / "-dash.jpg").string() + "\n");
    clitest::writeTestPhoto(dir / "-dash.jpg");
    const auto result =
        run({"export", "--files-from", "-", "-o", (dir / "out").string(), "-q"}, list);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(listDirectory(dir / "out"), (Names{"-dash.jpg", "b.jpg"}));

    // After --, a name that starts with a dash is an input, not an option.
    const fs::path cwdOut = dir / "out2";
    const auto dashed = runInkstead({"export", "-o", cwdOut.string(), "-q", "--", "-dash.jpg"},
                                    {.home = dir / "home", .workingDirectory = dir.path()});
    ASSERT_EQ(dashed.exitCode, 0) << dashed.err;
    EXPECT_EQ(listDirectory(cwdOut), Names{"-dash.jpg"});
}

} // namespace
