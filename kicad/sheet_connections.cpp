#include "kicad/sheet_connections.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <unordered_map>
#include <utility>

namespace {

// A key for a point in maps and sets.
uint64_t pointKey(SchPoint p) {
    return (uint64_t{static_cast<uint32_t>(p.x)} << 32) | static_cast<uint32_t>(p.y);
}

// The lines of a sheet by the cells of a grid that they pass through, so that finding the lines
// near a point or a box does not go through every line. Each line is cut into pieces no longer
// than a cell, and each piece is filed under the cells its bounding box covers. A line that
// would be filed under too many cells (beyond the sheet by far) is kept apart and always looked
// at.
class LineIndex {
  public:
    explicit LineIndex(const std::vector<SheetLine>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Segment& s = lines[i].segment;
            const int64_t dx = int64_t{s.b.x} - s.a.x;
            const int64_t dy = int64_t{s.b.y} - s.a.y;
            const int64_t pieces =
                std::max<int64_t>(1, (std::max(std::abs(dx), std::abs(dy)) + kCell - 1) / kCell);
            if (pieces > kMostPieces) {
                wide_.push_back(i);
                continue;
            }
            for (int64_t k = 0; k < pieces; ++k) {
                // The piece from a + (b - a) k / pieces to a + (b - a) (k + 1) / pieces, its
                // corners rounded outward.
                const int64_t x0 = floorDiv(int64_t{s.a.x} * pieces + dx * k, pieces);
                const int64_t x1 = ceilDiv(int64_t{s.a.x} * pieces + dx * (k + 1), pieces);
                const int64_t y0 = floorDiv(int64_t{s.a.y} * pieces + dy * k, pieces);
                const int64_t y1 = ceilDiv(int64_t{s.a.y} * pieces + dy * (k + 1), pieces);
                const CellRange range{cellOf(std::min(x0, x1)), cellOf(std::min(y0, y1)),
                                      cellOf(std::max(x0, x1)), cellOf(std::max(y0, y1))};
                for (int64_t cy = range.top; cy <= range.bottom; ++cy) {
                    for (int64_t cx = range.left; cx <= range.right; ++cx) {
                        std::vector<std::size_t>& cell = cells_[cellKey(cx, cy)];
                        if (cell.empty() || cell.back() != i) {
                            cell.push_back(i);
                        }
                    }
                }
            }
        }
    }

    // The indexes of the lines that may meet `box`, each once, in ascending order.
    std::vector<std::size_t> near(const SchRect& box) const {
        std::vector<std::size_t> found = wide_;
        const CellRange range{cellOf(box.left), cellOf(box.top), cellOf(box.right),
                              cellOf(box.bottom)};
        for (int64_t cy = range.top; cy <= range.bottom; ++cy) {
            for (int64_t cx = range.left; cx <= range.right; ++cx) {
                if (const auto it = cells_.find(cellKey(cx, cy)); it != cells_.end()) {
                    found.insert(found.end(), it->second.begin(), it->second.end());
                }
            }
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }

    // Whether `visit` is true of any line that may pass through p, each looked at once, in no
    // particular order.
    template <typename Visit>
    bool anyAt(SchPoint p, Visit visit) const {
        for (const std::size_t i : wide_) {
            if (visit(i)) {
                return true;
            }
        }
        const auto it = cells_.find(cellKey(cellOf(p.x), cellOf(p.y)));
        if (it != cells_.end()) {
            for (const std::size_t i : it->second) {
                if (visit(i)) {
                    return true;
                }
            }
        }
        return false;
    }

  private:
    static constexpr int64_t kCell = 32;
    static constexpr int64_t kMostPieces = 4096;

    struct CellRange {
        int64_t left, top, right, bottom;
    };
    static int64_t floorDiv(int64_t a, int64_t b) {
        return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
    }
    static int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }
    static int64_t cellOf(int64_t v) { return floorDiv(v, kCell); }
    static uint64_t cellKey(int64_t cx, int64_t cy) {
        return (static_cast<uint64_t>(cx) << 32) ^ static_cast<uint64_t>(cy & 0xFFFFFFFF);
    }

    std::unordered_map<uint64_t, std::vector<std::size_t>> cells_;
    std::vector<std::size_t> wide_;
};

SchRect grown(const SchRect& r, int64_t by) {
    return SchRect(clamp32(int64_t{r.left} - by), clamp32(int64_t{r.top} - by),
                   clamp32(int64_t{r.right} + by), clamp32(int64_t{r.bottom} + by));
}

// How far along a segment a point of it lies from its first end, as a measure that orders the
// points of one segment.
int64_t along(const Segment& s, SchPoint p) {
    return std::abs(int64_t{p.x} - s.a.x) + std::abs(int64_t{p.y} - s.a.y);
}

bool isEnd(SchPoint p, const Segment& s) {
    return p == s.a || p == s.b;
}

// How a label moves along its line to keep off a crossing: in steps of 5 points of the line (5
// units on a level or upright line, KiCad's connection grid), at most 20 steps either way.
constexpr int64_t kLabelShift = 5;
constexpr int64_t kMostLabelShifts = 20;

class Connector {
  public:
    explicit Connector(const SheetParts& parts) : parts_(parts), index_(parts.lines) {
        for (const SchPoint j : parts.junctions) {
            junctions_.insert(pointKey(j));
        }
        splits_.resize(parts.lines.size());
    }

    SheetConnections run() {
        SheetConnections out;
        splitAtJunctionsAndEntries();
        placeLabels(out);
        placeTags(out);
        cutPieces(out);
        countTJoins(out);
        placePins(out);
        countNets(out);
        return out;
    }

  private:
    // A point where a line crosses another without joining it: on another line, unless both
    // lines end there or a junction joins them.
    bool crossing(SchPoint p, std::size_t line) const {
        if (junctions_.count(pointKey(p)) != 0) {
            return false;
        }
        const Segment& own = parts_.lines[line].segment;
        return index_.anyAt(p, [&](std::size_t other) {
            const Segment& s = parts_.lines[other].segment;
            return other != line && onSegment(p, s) && !(isEnd(p, s) && isEnd(p, own));
        });
    }

    void splitWhereInside(SchPoint p) {
        index_.anyAt(p, [&](std::size_t i) {
            if (insideSegment(p, parts_.lines[i].segment)) {
                splits_[i].push_back(p);
            }
            return false;
        });
    }

    void splitAtJunctionsAndEntries() {
        for (const SchPoint j : parts_.junctions) {
            splitWhereInside(j);
        }
        for (const Segment& e : parts_.entries) {
            splitWhereInside(e.a);
            splitWhereInside(e.b);
        }
    }

    // The line a label's box touches or lies nearest to within reach; of equal distances, the
    // first. Nothing when none is within reach.
    std::optional<std::size_t> lineBeside(const SheetLabel& label) const {
        std::optional<std::size_t> best;
        SquaredDistance bestDistance;
        for (const std::size_t i : index_.near(grown(label.box, kReach))) {
            const Segment& s = parts_.lines[i].segment;
            if (!segmentWithin(s, label.box, kReach)) {
                continue;
            }
            const SquaredDistance d = segmentToRect(s, label.box);
            if (!best || closer(d, bestDistance)) {
                best = i;
                bestDistance = d;
            }
        }
        return best;
    }

    // The point of the line nearest the label's anchor that is not a crossing.
    std::optional<SchPoint> pointFor(const SheetLabel& label, std::size_t line) const {
        const SegmentLattice lattice(parts_.lines[line].segment);
        const int64_t nearest = lattice.nearestTo(label.anchor);
        for (int64_t shift = 0; shift <= kMostLabelShifts; ++shift) {
            for (const int64_t k : {nearest + shift * kLabelShift, nearest - shift * kLabelShift}) {
                if (k >= 0 && k <= lattice.steps() && !crossing(lattice.at(k), line)) {
                    return lattice.at(k);
                }
                if (shift == 0) {
                    break;
                }
            }
        }
        return std::nullopt;
    }

    void placeLabels(SheetConnections& out) {
        out.labels.reserve(parts_.labels.size());
        for (const SheetLabel& label : parts_.labels) {
            std::optional<SchPoint> at;
            const std::optional<std::size_t> line = lineBeside(label);
            if (line) {
                at = pointFor(label, *line);
            }
            if (at) {
                if (insideSegment(*at, parts_.lines[*line].segment)) {
                    splits_[*line].push_back(*at);
                }
            } else {
                ++out.summary.labelsNotOnWire;
            }
            out.labels.push_back(at);
        }
    }

    bool onAnyLine(SchPoint p) const {
        return index_.anyAt(p,
                            [&](std::size_t i) { return onSegment(p, parts_.lines[i].segment); });
    }

    void placeTags(SheetConnections& out) {
        out.tagEnds.reserve(parts_.tags.size());
        for (const SheetTag& tag : parts_.tags) {
            const int end = !onAnyLine(tag.ends[0]) && onAnyLine(tag.ends[1]) ? 1 : 0;
            splitWhereInside(tag.ends[end]);
            out.tagEnds.push_back(end);
        }
    }

    void cutPieces(SheetConnections& out) {
        out.pieces.resize(parts_.lines.size());
        for (std::size_t i = 0; i < parts_.lines.size(); ++i) {
            const Segment& s = parts_.lines[i].segment;
            std::vector<SchPoint>& cuts = splits_[i];
            std::sort(cuts.begin(), cuts.end(),
                      [&s](SchPoint p, SchPoint q) { return along(s, p) < along(s, q); });
            cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
            SchPoint from = s.a;
            for (const SchPoint cut : cuts) {
                out.pieces[i].push_back({from, cut});
                from = cut;
            }
            out.pieces[i].push_back({from, s.b});
        }
        for (std::size_t i = 0; i < out.pieces.size(); ++i) {
            for (const Segment& piece : out.pieces[i]) {
                for (const SchPoint end : {piece.a, piece.b}) {
                    ends_[pointKey(end)].push_back(i);
                }
            }
        }
    }

    // Whether p lies inside a piece of a line of the given kind: inside the line, and not where
    // it was cut.
    bool insideAPiece(SchPoint p, bool bus) const {
        return index_.anyAt(p, [&](std::size_t i) {
            const Segment& s = parts_.lines[i].segment;
            if (parts_.lines[i].bus != bus || !insideSegment(p, s)) {
                return false;
            }
            const std::vector<SchPoint>& cuts = splits_[i];
            const auto cut = std::lower_bound(
                cuts.begin(), cuts.end(), along(s, p),
                [&s](SchPoint c, int64_t distance) { return along(s, c) < distance; });
            return cut == cuts.end() || *cut != p;
        });
    }

    void countTJoins(SheetConnections& out) const {
        std::set<uint64_t> joins;
        for (std::size_t i = 0; i < out.pieces.size(); ++i) {
            for (const Segment& piece : out.pieces[i]) {
                for (const SchPoint end : {piece.a, piece.b}) {
                    if (joins.count(pointKey(end)) == 0 && insideAPiece(end, parts_.lines[i].bus)) {
                        joins.insert(pointKey(end));
                    }
                }
            }
        }
        out.summary.tJoinsWithoutJunction = joins.size();
    }

    static PlacedPin pinTo(SchPoint end, const SchRect& body) {
        const int64_t left = int64_t{body.left} - end.x;
        const int64_t right = int64_t{end.x} - body.right;
        const int64_t above = int64_t{body.top} - end.y;
        const int64_t below = int64_t{end.y} - body.bottom;
        const int64_t outX = std::max<int64_t>({left, right, 0});
        const int64_t outY = std::max<int64_t>({above, below, 0});
        if (outX > 0 || outY > 0) {
            if (outX >= outY) {
                return {end, left > 0 ? 0 : 2, outX};
            }
            return {end, above > 0 ? 1 : 3, outY};
        }
        // On or inside the outline: a pin of no length, toward the inside from the nearest side
        // (left, top, right, bottom first on equal distances).
        const int64_t sides[] = {-left, -above, -right, -below};
        const auto nearest = std::min_element(std::begin(sides), std::end(sides)) - sides;
        return {end, static_cast<int>(nearest), 0};
    }

    void placePins(SheetConnections& out) {
        // The ends of wires, in the order of the wires.
        std::vector<SchPoint> wireEnds;
        for (const SheetLine& line : parts_.lines) {
            if (!line.bus) {
                wireEnds.push_back(line.segment.a);
                wireEnds.push_back(line.segment.b);
            }
        }
        std::vector<SheetLine> endPoints;
        endPoints.reserve(wireEnds.size());
        for (const SchPoint p : wireEnds) {
            endPoints.push_back({{p, p}, false});
        }
        const LineIndex endIndex(endPoints);
        out.pins.resize(parts_.bodies.size());
        for (std::size_t b = 0; b < parts_.bodies.size(); ++b) {
            const SchRect& body = parts_.bodies[b];
            std::set<uint64_t> placed;
            for (const std::size_t e : endIndex.near(grown(body, kReach))) {
                const SchPoint end = wireEnds[e];
                if (squaredDistanceToOutline(end, body) <= kReach * kReach &&
                    placed.insert(pointKey(end)).second) {
                    out.pins[b].push_back(pinTo(end, body));
                }
            }
            out.summary.partsWithPlacedPins += out.pins[b].empty() ? 0 : 1;
        }
    }

    // Union-find over the wires: lines that share a piece's end, and lines joined by labels or
    // tags of one text. A net counts when a pin lies on it, as only such nets are listed.
    void countNets(SheetConnections& out) {
        const std::size_t n = parts_.lines.size();
        std::vector<std::size_t> parent(n);
        std::iota(parent.begin(), parent.end(), std::size_t{0});
        const auto find = [&parent](std::size_t i) {
            while (parent[i] != i) {
                parent[i] = parent[parent[i]];
                i = parent[i];
            }
            return i;
        };
        const auto join = [&](std::size_t a, std::size_t b) { parent[find(a)] = find(b); };
        // The wire that ends at p, if any; every other wire ending there is joined to it.
        const auto wireAt = [&](SchPoint p) -> std::optional<std::size_t> {
            const auto it = ends_.find(pointKey(p));
            std::optional<std::size_t> first;
            if (it == ends_.end()) {
                return first;
            }
            for (const std::size_t i : it->second) {
                if (parts_.lines[i].bus) {
                    continue;
                }
                if (first) {
                    join(i, *first);
                } else {
                    first = i;
                }
            }
            return first;
        };
        for (const auto& [key, lines] : ends_) {
            static_cast<void>(lines);
            wireAt(
                SchPoint(static_cast<int32_t>(key >> 32), static_cast<int32_t>(key & 0xFFFFFFFF)));
        }
        const auto joinNamed = [&](std::map<std::string, std::size_t>& named,
                                   const std::string& text, std::optional<std::size_t> wire) {
            if (!wire) {
                return;
            }
            const auto [it, first] = named.emplace(text, *wire);
            if (!first) {
                join(*wire, it->second);
            }
        };
        std::map<std::string, std::size_t> labelNets;
        for (std::size_t i = 0; i < parts_.labels.size(); ++i) {
            if (out.labels[i]) {
                joinNamed(labelNets, parts_.labels[i].text, wireAt(*out.labels[i]));
            }
        }
        std::map<std::string, std::size_t> tagNets;
        for (std::size_t i = 0; i < parts_.tags.size(); ++i) {
            const SheetTag& tag = parts_.tags[i];
            joinNamed(tagNets, tag.text, wireAt(tag.ends[out.tagEnds[i]]));
        }
        std::set<std::size_t> withPins;
        for (const std::vector<PlacedPin>& pins : out.pins) {
            for (const PlacedPin& pin : pins) {
                if (const std::optional<std::size_t> wire = wireAt(pin.end)) {
                    withPins.insert(find(*wire));
                }
            }
        }
        std::set<std::size_t> nets;
        for (const std::size_t w : withPins) {
            nets.insert(find(w));
        }
        out.summary.nets = nets.size();
    }

    const SheetParts& parts_;
    LineIndex index_;
    std::set<uint64_t> junctions_;
    std::vector<std::vector<SchPoint>> splits_;
    std::unordered_map<uint64_t, std::vector<std::size_t>> ends_;
};

}  // namespace

SheetConnections connectSheet(const SheetParts& parts) {
    return Connector(parts).run();
}
