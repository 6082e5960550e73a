#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class CellStore;
struct CommandContext;
struct Settings;

// The thumbnail qualities Options offers, in its list's order, and the
// largest thumbnail side each stores (pixels; 0 = full size).
struct ThumbQuality {
    const char* caption;
    int limit;
};
extern const std::array<ThumbQuality, 5> ThumbQualities;
constexpr int PerfectQuality = 4;
// The entry a stored limit shows; -1 for none.
int QualityEntryFor(int limit);

// A grid size typed into Options: the number rounded to the nearest whole
// number, halves to even; nullopt when the text is no number, the number
// does not fit 32 bits or it is below 1.
std::optional<int32_t> GridSizeFromText(const QString& text);

// What the Options dialog collected. A size is nullopt when its box was
// left as it was shown.
struct OptionsAnswers {
    std::optional<QString> cols;
    std::optional<QString> rows;
    int quality = -1;  // an entry of ThumbQualities; none stores full size
    bool mono = true;
    bool hideGridLines = false;
    bool hidePreview = false;
};

// The grid size Options shows: the settings, or the grid's own side where
// a wall file or the sort grew it beyond them.
int ShownGridCols(const Settings& settings, const CellStore& cells);
int ShownGridRows(const Settings& settings, const CellStore& cells);

// Options' OK: the answers become the settings for the rest of the run. A
// typed size resizes the grid in place, asking first (No by default) when
// that leaves images or texts out. False when the user turned down the
// memory warning of full-size thumbnails: then nothing changes.
bool ApplyOptions(CommandContext& ctx, const OptionsAnswers& answers);
