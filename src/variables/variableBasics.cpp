// Value kinds: one value each, element index ignored, converted by one fixed table.
#include "variables/variableBasics.h"

#include "variables/variableConvert.h"

using namespace varconv;

// Setters store first and then notify, so a slave reads the new value.
#define NOTIFY_SLAVES()                                                                                      \
    do {                                                                                                     \
        if (flags & VAR_HAS_SLAVES) doNotifySlaves();                                                        \
    } while (0)

// ---- short ----

void CshortVar::setElem_char(unsigned short, char const* text) {
    value = lowShort(textToInt(text));
    NOTIFY_SLAVES();
}
char const* CshortVar::getElem_char(unsigned short) {
    return formatInt(value);
}
void CshortVar::setElem_float(unsigned short, double v) {
    value = shortFromDouble(v);
    NOTIFY_SLAVES();
}
double CshortVar::getElem_float(unsigned short) {
    return value;
}
void CshortVar::setElem_int(unsigned short, int v) {
    value = lowShort(v);
    NOTIFY_SLAVES();
}
int CshortVar::getElem_int(unsigned short) {
    return value;
}

// ---- int ----

void CintVar::setElem_char(unsigned short, char const* text) {
    value = textToInt(text);
    NOTIFY_SLAVES();
}
char const* CintVar::getElem_char(unsigned short) {
    return formatInt(value);
}
void CintVar::setElem_float(unsigned short, double v) {
    value = truncToInt(v);
    NOTIFY_SLAVES();
}
double CintVar::getElem_float(unsigned short) {
    return value;
}
void CintVar::setElem_int(unsigned short, int v) {
    value = v;
    NOTIFY_SLAVES();
}
int CintVar::getElem_int(unsigned short) {
    return value;
}

// ---- float ----

void CfloatVar::setElem_char(unsigned short, char const* text) {
    value = toFloat(textToDouble(text));
    NOTIFY_SLAVES();
}
char const* CfloatVar::getElem_char(unsigned short) {
    return formatFloat(value);
}
void CfloatVar::setElem_float(unsigned short, double v) {
    value = toFloat(v);
    NOTIFY_SLAVES();
}
double CfloatVar::getElem_float(unsigned short) {
    return value;
}
void CfloatVar::setElem_int(unsigned short, int v) {
    value = static_cast<float>(v);
    NOTIFY_SLAVES();
}
int CfloatVar::getElem_int(unsigned short) {
    return truncToInt(value);
}

// ---- string ----

void CstringVar::setElem_char(unsigned short, char const* text) {
    if (text == nullptr) text = "";
    value = text;
    NOTIFY_SLAVES();
}
char const* CstringVar::getElem_char(unsigned short) {
    return value.c_str();
}
void CstringVar::setElem_float(unsigned short, double v) {
    value = formatFloat(toFloat(v));
    NOTIFY_SLAVES();
}
double CstringVar::getElem_float(unsigned short) {
    return textToDouble(value.c_str());
}
void CstringVar::setElem_int(unsigned short, int v) {
    value = formatInt(v);
    NOTIFY_SLAVES();
}
int CstringVar::getElem_int(unsigned short) {
    return textToInt(value.c_str());
}
