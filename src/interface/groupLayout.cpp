// The layout of a group: free groups place each child at its own pos; lists stack their
// children from the top, and a list taller than the group scrolls, easing towards the
// scroll position it is given, with a scroll bar at its right.
//
// Placement measures from the list's top in units of the group's height: with the list
// total high and the scroll s, an item ending y below the top is centred at
// total - y + (1 - total) s + h / 2, so the group always shows one group's height of the list.
#include <algorithm>
#include <cmath>

#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/sliders.h"

namespace {
constexpr float kEasingGrowth = 0.04f;
constexpr float kEasingLimit = 0.25f;
constexpr float kEasingSnap = 0.0003f;
} // namespace

int CgroupWidgetVar::update() {
    if (layoutKind == LAYOUT_FREE) {
        updateRect();
        for (Cvariable* c = widgets->firstChild; c; c = c->nextSibling)
            if (auto* w = dynamic_cast<CwidgetVar*>(c); w && w->updateFrame == widgetUpdateFrame) w->update();
        return 0;
    }
    if (layoutKind == LAYOUT_LIST || layoutKind == LAYOUT_SCROLLING) layOutList();
    return 0;
}

void CgroupWidgetVar::layOutList() {
    bool menu = name == "menuGroup";
    total = 0.0f;
    if (menu) {
        contentBounds[0] = contentBounds[1] = 10.0f;
        contentBounds[2] = contentBounds[3] = -10.0f;
    }
    updateRect();
    CverticalSlider* scrollBar = nullptr;
    for (Cvariable* c = widgets->firstChild; c; c = c->nextSibling) {
        auto* w = dynamic_cast<CwidgetVar*>(c);
        if (w == nullptr) continue;
        w->update();
        if (w->name == "vertSlider") {
            scrollBar = dynamic_cast<CverticalSlider*>(w);
            continue;
        }
        total += w->size[1] + spacing;
        if (menu) {
            contentBounds[0] = std::min(contentBounds[0], w->pos[0] - w->size[0] / 2);
            contentBounds[1] = std::min(contentBounds[1], w->pos[1] - w->size[1] / 2);
            contentBounds[2] = std::max(contentBounds[2], w->pos[0] + w->size[0] / 2);
            contentBounds[3] = std::max(contentBounds[3], w->pos[1] + w->size[1] / 2);
            clipChildren = 0;
        }
    }
    total -= spacing;

    if (total > 1.0f && !menu && layoutKind == LAYOUT_LIST) {
        layoutKind = LAYOUT_SCROLLING;
        if (controlPanel) controlPanel->wheelStep = 0.2f / (total - 1.0f);
        if (scrollBar == nullptr) {
            createSlider(nullptr);
            scrollBar = dynamic_cast<CverticalSlider*>(widgets->getLastChild());
            if (scrollBar) scrollBar->update();
        }
    }
    if (layoutKind != LAYOUT_SCROLLING) scroll = targetScroll = 0.5f;

    bool easing = false;
    if (scroll != targetScroll) {
        easingRate = std::min(easingRate + kEasingGrowth, kEasingLimit);
        scroll = easingRate * targetScroll + (1.0f - easingRate) * scroll;
        easing = std::fabs(scroll - targetScroll) >= kEasingSnap && scroll >= 0.0f && scroll <= 1.0f;
        if (!easing) {
            targetScroll = std::clamp(targetScroll, 0.0f, 1.0f);
            scroll = targetScroll;
        }
        if (controlPanel) controlPanel->needsMouseMove = 1;
    }
    if (layoutKind == LAYOUT_SCROLLING && controlPanel && controlPanel->sliderPosition)
        controlPanel->sliderPosition->setFloat(scroll);

    // Touching the group's edge is not overlapping it.
    float eps = 1e-5f * rect.height();
    auto overlaps = [&](CwidgetVar const* w) {
        return w->rect.maxy > rect.miny + eps && w->rect.miny < rect.maxy - eps;
    };
    float base = (1.0f - total) * scroll + 0.5f;
    float y = 0.0f;
    for (Cvariable* c = widgets->firstChild; c; c = c->nextSibling) {
        auto* w = dynamic_cast<CwidgetVar*>(c);
        if (w == nullptr) continue;
        if (w == scrollBar) {
            if (total > 0.0f) scrollBar->setSliderSize(1.0f / total);
            scrollBar->setPos(scroll);
            scrollBar->display();
            continue;
        }
        // Scroll 1 puts the first item's top at the group's top, scroll 0 the last item's
        // bottom at its bottom: the window over the items is one group high.
        float h = w->size[1];
        y += h;
        w->pos[1] = (total - y) + base + (h - 1.0f) / 2.0f;
        y += spacing;
        w->rectValid = 0;
        w->updateRect();
        if (!overlaps(w)) w->undisplay();
    }
    for (Cvariable* c = widgets->firstChild; c; c = c->nextSibling) {
        auto* w = dynamic_cast<CwidgetVar*>(c);
        if (w == nullptr) continue;
        w->rectValid = 0;
        w->updateRect();
        if (w == scrollBar) continue;
        if (overlaps(w)) {
            if (!w->isDisplayed())
                w->display();
            else
                w->update();
        }
    }
    if (easing) needsUpdating();
}
