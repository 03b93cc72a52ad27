#include "model/element.h"

SchElement::~SchElement() = default;

bool SchElement::readCe3(Ce3Reader&, const SchPoint*, SchDocument*) {
    return false;
}
bool SchElement::writeCe3(Ce3Writer&, const SchPoint*) {
    return false;
}
void SchElement::setX1(int32_t v) {
    p1.x = v;
}
void SchElement::setY1(int32_t v) {
    p1.y = v;
}
void SchElement::setX2(int32_t v) {
    p2.x = v;
}
void SchElement::setY2(int32_t v) {
    p2.y = v;
}
void SchElement::setP1(SchPoint p) {
    p1 = p;
}
void SchElement::setP2(SchPoint p) {
    p2 = p;
}
int32_t SchElement::x2() const {
    return p2.x;
}
int32_t SchElement::y2() const {
    return p2.y;
}
SchPoint SchElement::getP2() const {
    return p2;
}
SchPoint SchElement::position() const {
    return p1;
}
std::unique_ptr<SchElement> SchElement::clone() const {
    return nullptr;
}

void SchElement::move(int32_t dx, int32_t dy) {
    const SchPoint delta(dx, dy);
    if (selection != SchSelection::P2) {
        p1 += delta;
    }
    if (selection != SchSelection::P1) {
        p2 += delta;
    }
}

void SchElement::mirror() {
    mirrorAt(SchRect(p1, p2).centre().x);
}

void SchElement::mirrorAt(int32_t axis) {
    p1.x = mirrorX(p1.x, axis);
    p2.x = mirrorX(p2.x, axis);
}

void SchElement::rotate() {
    rotateAt(SchRect(p1, p2).centre());
}

void SchElement::rotateAt(SchPoint centre) {
    p1 = quarterTurn(p1, centre);
    p2 = quarterTurn(p2, centre);
}

int SchElement::hitTest(SchPoint) const {
    return 0;
}
void SchElement::setSelection(int32_t flags) {
    selection = flags;
}
void SchElement::clearSelection() {
    selection = SchSelection::None;
}
int SchElement::areaCrossFlags(const SchRect&) const {
    return 0;
}
int SchElement::areaPointFlags(const SchRect&) const {
    return 0;
}
bool SchElement::touchesArea(const SchRect&) const {
    return false;
}
int SchElement::connectionCount() const {
    return 0;
}
SchPoint SchElement::connectionPoint(int) const {
    return SchPoint(-1, -1);
}
SchRect SchElement::area() const {
    return SchRect(-1, -1, -1, -1);
}
SchRect SchElement::pointArea() const {
    return SchRect(-1, -1, -1, -1);
}
bool SchElement::isValid() const {
    return true;
}
bool SchElement::isTextual() const {
    return false;
}

SchPoint quarterTurn(SchPoint p, SchPoint c) {
    return SchPoint(clamp32(int64_t{c.x} + c.y - p.y), clamp32(int64_t{c.y} - c.x + p.x));
}

int32_t mirrorX(int32_t x, int32_t axis) {
    return clamp32(2 * int64_t{axis} - x);
}

int hitElementBox(SchPoint p, const SchRect& box) {
    const int score = hitScore(p, box);
    return score == 0 ? 0 : (kHitElement | score);
}

void SchBoxElement::setX2(int32_t) {}
void SchBoxElement::setY2(int32_t) {}
void SchBoxElement::setP2(SchPoint) {}

int SchBoxElement::areaCrossFlags(const SchRect& r) const {
    return r.intersects(area()) ? SchSelection::Whole : SchSelection::None;
}

int SchBoxElement::areaPointFlags(const SchRect& r) const {
    return areaCrossFlags(r);
}

bool SchBoxElement::touchesArea(const SchRect& r) const {
    return r.intersects(area());
}
