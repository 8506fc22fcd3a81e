// The capture program's --help, made from its option table: the synopsis of each
// form of a command line with the paragraph on what it does, then the options
// that the paragraphs leave to a line of their own.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>

#include "capture_options.h"

namespace {

constexpr const char* program = "invitation-capture";
// The synopsis lines run to at most this many columns, continued under the
// program's name.
constexpr std::size_t synopsis_columns = 90;
// The option list's names and values stand in this indent.
constexpr std::size_t option_indent = 2;
// Between the longest name with its value and the help texts.
constexpr std::size_t option_gap = 2;

const char* const introduction = "Renders frames of the show offline, headless and deterministic.\n";

struct Form {
    FormUse CaptureOptionRow::*use;
    bool sequence;
    const char* paragraph;
};

const Form forms[] = {
    {&CaptureOptionRow::single_frame, false,
     "      one frame at elapsed_ms = MS; the WAV holds the music from MS to the\n"
     "      end of the song's pass (where the show's music starts over)\n"},
    {&CaptureOptionRow::sequence, true,
     "      frame k at elapsed_ms A + floor(k * 1000 / F) for every such time <= B,\n"
     "      the particle field advancing one step per frame; a folder (a name\n"
     "      without extension, ending in /, or an existing folder) receives\n"
     "      frame_000000.png ... (more digits when a run has a million frames or\n"
     "      more), a video file is encoded by ffmpeg with the music from A; the\n"
     "      WAV holds the music from A to B\n"},
};

const char* const closing =
    "Videos are BT.709, limited range, tagged so. Every output gets its name only\n"
    "when the whole run has succeeded; a failed or interrupted run leaves nothing\n"
    "of its own and every file of yours as it was.\n"
    "\n"
    "Exit status: 0 done, 1 failure during the run, 2 bad command line or a run\n"
    "that cannot fit.\n";

// "--seed N", or "--stretch" for a flag.
std::string with_value(const CaptureOptionRow& row, const char* value) {
    return value ? std::string(row.name) + " " + value : std::string(row.name);
}

// The form's options in table order, "[...]" around the optional ones, filled
// into lines that continue under the program's name.
std::string synopsis(const Form& form) {
    const std::string lead = "  " + std::string(program);
    std::string text = lead;
    std::size_t line_start = 0;
    bool first = true;
    for (const CaptureOptionRow& row : capture_option_table()) {
        const FormUse use = row.*form.use;
        if (use == FormUse::absent) continue;
        const char* value = form.sequence && row.sequence_value ? row.sequence_value : row.value;
        std::string word = with_value(row, value);
        if (use == FormUse::optional) word = "[" + word + "]";
        if (!first && text.size() - line_start + 1 + word.size() > synopsis_columns) {
            text += '\n';
            line_start = text.size();
            text.append(lead.size(), ' ');
        }
        text += ' ';
        text += word;
        first = false;
    }
    return text + "\n";
}

// The options with help texts of their own, each text's lines in one column.
std::string option_list() {
    std::size_t widest = 0;
    for (const CaptureOptionRow& row : capture_option_table())
        if (row.help) widest = std::max(widest, with_value(row, row.value).size());
    const std::size_t column = option_indent + widest + option_gap;
    std::string text;
    for (const CaptureOptionRow& row : capture_option_table()) {
        if (!row.help) continue;
        assert(std::strlen(row.help) > 0 && row.help[std::strlen(row.help) - 1] != '\n');
        std::string line = std::string(option_indent, ' ') + with_value(row, row.value);
        line.resize(column, ' ');
        for (const char* p = row.help; *p; ++p) {
            line += *p;
            if (*p == '\n') line += std::string(column, ' ');
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace

std::string capture_usage() {
    std::string text = std::string(introduction) + "\n";
    for (const Form& form : forms) text += synopsis(form) + form.paragraph + "\n";
    return text + option_list() + "\n" + closing;
}
