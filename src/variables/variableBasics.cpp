// Value kinds: one value each, element index ignored, converted by one fixed table.
#include "variables/variableBasics.h"

#include "variables/variableConvert.h"

using namespace varconv;

// ---- numeric kinds ----

template <typename Kind> void CnumberVar<Kind>::setElem_char(unsigned short, char const* text) {
    auto v = Kind::fromText(text);
    if (!storable(v, name.c_str())) return;
    value = v;
    notifySlavesIfAny();
}
template <typename Kind> char const* CnumberVar<Kind>::getElem_char(unsigned short) {
    return Kind::toText(value);
}
template <typename Kind> void CnumberVar<Kind>::setElem_float(unsigned short, double v) {
    auto converted = Kind::fromDouble(v);
    if (!storable(converted, name.c_str())) return;
    value = converted;
    notifySlavesIfAny();
}
template <typename Kind> double CnumberVar<Kind>::getElem_float(unsigned short) {
    return value;
}
template <typename Kind> void CnumberVar<Kind>::setElem_int(unsigned short, int v) {
    value = Kind::fromInt(v);
    notifySlavesIfAny();
}
template <typename Kind> int CnumberVar<Kind>::getElem_int(unsigned short) {
    return Kind::toInt(value);
}

template class CnumberVar<ShortKind>;
template class CnumberVar<IntKind>;
template class CnumberVar<FloatKind>;

// ---- string ----

void CstringVar::setElem_char(unsigned short, char const* text) {
    if (text == nullptr) text = "";
    value = text;
    notifySlavesIfAny();
}
char const* CstringVar::getElem_char(unsigned short) {
    return value.c_str();
}
void CstringVar::setElem_float(unsigned short, double v) {
    value = toFloat(v); // Cstring writes the same "%g" text
    notifySlavesIfAny();
}
double CstringVar::getElem_float(unsigned short) {
    return textToDouble(value.c_str());
}
void CstringVar::setElem_int(unsigned short, int v) {
    value = v;
    notifySlavesIfAny();
}
int CstringVar::getElem_int(unsigned short) {
    return textToInt(value.c_str());
}
