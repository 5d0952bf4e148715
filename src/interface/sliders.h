// Sliders: the scroll bar of a scrolling list, and the knob that sets a number.
#pragma once

#include "interface/groupWidget.h"
#include "interface/imageWidget.h"

// The scroll bar of a scrolling list: a track ("vsliderBG") and a thumb ("vslider") made
// on its first update, drawn in the panel's reserved boxes 1 and 2.
class CverticalSlider : public CgroupWidgetVar {
  public:
    CverticalSlider();
    // The panel forgets it.
    ~CverticalSlider() override;
    // Makes the track and the thumb when it has none; then lays them out; 0.
    int update() override;
    void prepareForDelete() override;

    // The thumb's height as a fraction of the bar (0 is refused, traced).
    void setSliderSize(float fraction);
    // The thumb at p of the track.
    void setPos(float p);
    float sliderPosToScrollPercent(float p) const { return trackLength != 0.0f ? p / trackLength : 0.0f; }
    float scrollPercentToSliderPos(float s) const { return s * trackLength; }
    // From the thumb and the panel's wheel: 0 press, 2 drag (scroll follows the pointer's
    // y), 3 wheel (y is the change of the list's target scroll). Traced and ignored on a
    // bar without its parts or its list.
    void sliderMouseMessage(int code, float x, float y);
    void bgPress() {}
    CimageWidgetVar* thumb();

    float oneOverThumbHeight = 1.0f;
    float thumbHeight = 1.0f;
    float trackLength = 0.0f;
    float dragStartY = 0.0f;
    float dragStartScroll = 0.0f;
};

// A knob bound to a number: its pos moves between the ends of the rectangle it was made
// with as the number goes from minVal to maxVal, and dragging it writes the number.
class CvalueSlider : public CimageWidgetVar {
  public:
    CvalueSlider();
    // Takes its track from its rectangle and turns into the knob.
    void initValueSlider();
    void moveSlider();
    // Binds the number (null refused).
    int setContentsVar(Cvariable* var, int element) override;
    // The number, not the contents: the knob keeps its picture.
    void setFromVariable(Cvariable* var, int element) override;
    // 0 remembers the press, 2 writes the dragged value and runs "change"; always 0.
    int mouseMessage(int code, float x, float y) override;
    bool initialized() const { return leftmost != -1.0f; }

    float minVal = 0.0f, maxVal = 1.0f;
    float value = 0.0f;
    float leftmost = -1.0f, rightmost = -1.0f;
    float dragStartX = 0.0f, dragStartFraction = 0.0f;
};
