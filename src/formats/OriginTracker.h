// The element tree a markup reader walks, kept only as far as its lines need it: every element
// it is told of is counted among its siblings of the same name, and only those a line starts in,
// with their ancestors, are kept as nodes.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

#include "formats/BookFormats.h"
#include "formats/LineWriter.h"

namespace tresslin {

class OriginTracker {
  public:
    explicit OriginTracker(QStringView root);

    void open(QStringView name);
    void close();
    // A child the tracker is not told of starts or ends: the text on either side of it is two
    // text nodes.
    void edge() {
        endLead();
        levels_.back().inRun = false;
    }
    // Text directly inside the innermost open element.
    void text(QStringView t) {
        Level& l = levels_.back();
        if (!l.inRun) l.inRun = true, l.runCounted = false;
        if (!l.runCounted && !t.trimmed().isEmpty()) l.runCounted = true, ++l.runs;
    }
    // The line out is writing got its first character, from text directly inside the innermost
    // open element (direct) or from deeper.
    void lineBegins(const LineWriter& out, bool direct);
    // Where the line being written came from; called as it ends.
    LineOrigins::Line lineEnds() {
        if (leadOpen_) line_.lead = LineOrigins::kNone;
        leadOpen_ = false;
        const LineOrigins::Line line = line_;
        line_ = {};
        return line;
    }
    // Closes what is still open and gives the tree with the lines' records.
    LineOrigins finish(std::vector<LineOrigins::Line> lines);

  private:
    struct Counter {
        std::uint16_t name;
        std::uint32_t count;
        std::uint32_t first;  // the node of the first of the name, where one was made
    };
    struct Level {
        std::uint32_t node = LineOrigins::kNone;
        std::uint32_t index = 1;
        std::uint32_t counters = 0;  // where its children's counters start in counters_
        std::uint32_t counter = 0;   // its own counter in its parent's
        std::uint32_t runs = 0;      // text nodes seen, blank ones not counted
        std::uint16_t name = 0;
        bool inRun = false, runCounted = false;
    };

    std::uint16_t intern(QStringView name);
    std::uint32_t materialize(std::size_t level);
    void endLead() {
        if (leadOpen_ && out_) line_.lead = std::uint32_t(out_->lineBytes());
        leadOpen_ = false;
    }

    LineOrigins tree_;
    std::vector<QString> names_;
    std::uint16_t lastName_ = 0;
    std::vector<Level> levels_;
    std::vector<Counter> counters_;
    const LineWriter* out_ = nullptr;
    LineOrigins::Line line_;
    bool leadOpen_ = false;
};

}  // namespace tresslin
