#include "formats/OriginTracker.h"

#include <algorithm>

namespace tresslin {

namespace {

// Names past this many share one that no path is written through: a document of thousands of
// names is no book, and the searches stay short.
constexpr std::size_t kMaxNames = 256;

}  // namespace

OriginTracker::OriginTracker(QStringView root) {
    names_.push_back(root.toString());
    levels_.push_back({});
}

std::uint16_t OriginTracker::intern(QStringView name) {
    // Runs of one name (p after p) are the common case.
    if (names_[lastName_] == name) return lastName_;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return lastName_ = std::uint16_t(i);
    if (names_.size() == kMaxNames) return std::uint16_t(kMaxNames);
    names_.push_back(name.toString());
    return lastName_ = std::uint16_t(names_.size() - 1);
}

void OriginTracker::open(QStringView name) {
    endLead();
    Level& parent = levels_.back();
    parent.inRun = false;
    const std::uint16_t id = intern(name);
    std::size_t c = parent.counters;
    while (c < counters_.size() && counters_[c].name != id) ++c;
    if (c == counters_.size()) counters_.push_back({id, 0, LineOrigins::kNone});
    Level child;
    child.name = id;
    child.index = ++counters_[c].count;
    child.counter = std::uint32_t(c);
    child.counters = std::uint32_t(counters_.size());
    levels_.push_back(child);
}

void OriginTracker::close() {
    endLead();
    if (levels_.size() < 2) return;
    const Level& l = levels_.back();
    for (std::size_t c = l.counters; c < counters_.size(); ++c)
        if (counters_[c].count == 1 && counters_[c].first != LineOrigins::kNone)
            tree_.nodes[counters_[c].first].flags |= LineOrigins::OnlyOfName;
    if (l.node != LineOrigins::kNone && l.runs > 1)
        tree_.nodes[l.node].flags |= LineOrigins::SeveralTexts;
    counters_.resize(l.counters);
    levels_.pop_back();
    levels_.back().inRun = false;
}

std::uint32_t OriginTracker::materialize(std::size_t level) {
    // From the nearest ancestor already kept down, without recursion: nesting may be deep.
    std::size_t from = level;
    while (from > 0 && levels_[from].node == LineOrigins::kNone) --from;
    for (std::size_t i = levels_[from].node == LineOrigins::kNone ? from : from + 1; i <= level;
         ++i) {
        Level& l = levels_[i];
        LineOrigins::Node node;
        node.name = l.name;
        node.index = l.index;
        if (i == 0) {
            node.flags = LineOrigins::OnlyOfName;
        } else {
            node.parent = levels_[i - 1].node;
            if (l.index == 1) counters_[l.counter].first = std::uint32_t(tree_.nodes.size());
        }
        l.node = std::uint32_t(tree_.nodes.size());
        tree_.nodes.push_back(node);
    }
    return levels_[level].node;
}

void OriginTracker::lineBegins(const LineWriter& out, bool direct) {
    out_ = &out;
    line_.node = materialize(levels_.size() - 1);
    line_.text = direct ? levels_.back().runs : 0;
    line_.lead = 0;
    leadOpen_ = direct;
}

LineOrigins OriginTracker::finish(std::vector<LineOrigins::Line> lines) {
    while (levels_.size() > 1) close();
    tree_.names.reserve(names_.size() + 1);
    for (const QString& n : names_) tree_.names.push_back(n.toStdString());
    // The name the overflow shares: never a valid element name.
    tree_.names.emplace_back();
    tree_.lines = std::move(lines);
    return std::move(tree_);
}

}  // namespace tresslin
