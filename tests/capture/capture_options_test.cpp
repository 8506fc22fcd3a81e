// The capture's option table against what the program does with it: --help names
// every option of the table with its value and no option outside it, each form's
// synopsis shows the options of that form, and the parser takes each option as
// the table says, with a value or as a flag.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "capture_options.h"

namespace {

bool parses(std::vector<const char*> words, std::string& error) {
    words.insert(words.begin(), "invitation-capture");
    CaptureOptions options;
    return parse_capture_options(static_cast<int>(words.size()), words.data(), options, error);
}

// One form's synopsis: its first line and the lines continuing it, which go on
// with options ("--" or "[") where the form's paragraph goes on with words.
std::string synopsis_of(const std::string& usage, const std::string& first_option) {
    std::size_t line = usage.find("  invitation-capture " + first_option);
    if (line == std::string::npos) return "";
    std::string text;
    do {
        const std::size_t end = usage.find('\n', line);
        text += usage.substr(line, end - line) + "\n";
        line = end + 1;
    } while (line < usage.size() && usage.compare(line, 2, "  ") == 0 &&
             (usage.find_first_not_of(' ', line) == usage.find("--", line) ||
              usage.find_first_not_of(' ', line) == usage.find('[', line)));
    return text;
}

std::string with_value(const CaptureOptionRow& row, const char* value) {
    return value ? std::string(row.name) + " " + value : std::string(row.name);
}

TEST(CaptureUsage, NamesEveryOptionWithItsValue) {
    const std::string usage = capture_usage();
    for (const CaptureOptionRow& row : capture_option_table()) {
        const std::string named = with_value(row, row.value);
        EXPECT_NE(usage.find(named), std::string::npos) << named << "\n" << usage;
        // An option with a line of its own in the option list.
        if (row.help) {
            EXPECT_NE(usage.find("\n  " + named + "  "), std::string::npos) << named << "\n" << usage;
        }
    }
}

TEST(CaptureUsage, NamesNoOptionTheParserDoesNotKnow) {
    std::set<std::string> known{"--help"};
    for (const CaptureOptionRow& row : capture_option_table()) known.insert(row.name);
    const std::string usage = capture_usage();
    const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> named;
    for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) named.insert(it->str());
    for (const std::string& name : named) EXPECT_TRUE(known.count(name)) << name << " is not in the option table";
}

TEST(CaptureUsage, EachSynopsisShowsTheOptionsOfItsForm) {
    const std::string usage = capture_usage();
    const std::string single = synopsis_of(usage, "--at-ms");
    const std::string sequence = synopsis_of(usage, "--from-ms");
    ASSERT_FALSE(single.empty()) << usage;
    ASSERT_FALSE(sequence.empty()) << usage;
    for (const CaptureOptionRow& row : capture_option_table()) {
        const auto check = [&](FormUse use, const std::string& text, const char* value, const char* form) {
            const std::string named = with_value(row, value);
            const bool shown = std::regex_search(text, std::regex("(^| |\\[)" + std::string(row.name) + "( |\n|\\])"));
            switch (use) {
            case FormUse::absent: EXPECT_FALSE(shown) << row.name << " in the " << form << " synopsis"; break;
            case FormUse::required:
                EXPECT_NE(text.find(" " + named), std::string::npos) << named << " in the " << form << " synopsis";
                EXPECT_EQ(text.find("[" + named), std::string::npos) << row.name << " optional in " << form;
                break;
            case FormUse::optional:
                EXPECT_NE(text.find("[" + named + "]"), std::string::npos) << "[" << named << "] in " << form;
                break;
            }
        };
        check(row.single_frame, single, row.value, "single frame");
        check(row.sequence, sequence, row.sequence_value ? row.sequence_value : row.value, "sequence");
    }
}

TEST(CaptureOptions, TakesEachOptionAsTheTableSays) {
    std::string error;
    for (const CaptureOptionRow& row : capture_option_table()) {
        const std::string name = row.name;
        if (row.value) {
            EXPECT_FALSE(parses({row.name}, error));
            EXPECT_EQ(error, "missing value for " + name);
            EXPECT_FALSE(parses({row.name, "--stretch"}, error));
            EXPECT_EQ(error, "missing value for " + name + " (the next argument, --stretch, is an option)");
            EXPECT_FALSE(parses({row.name, "1", row.name, "1"}, error));
        } else {
            // Known as an option: never taken for a value.
            EXPECT_FALSE(parses({"--at-ms", row.name, "--out", "f.png"}, error));
            EXPECT_EQ(error, "missing value for --at-ms (the next argument, " + name + ", is an option)");
            EXPECT_FALSE(parses({row.name, row.name}, error));
        }
        EXPECT_EQ(error, name + " is given twice");
    }
    EXPECT_FALSE(parses({"--at-ms", "0", "--out", "f.png", "--stretchy"}, error));
    EXPECT_EQ(error, "unknown option '--stretchy'");
}

}  // namespace
