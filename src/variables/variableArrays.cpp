// CarrayVar: a list of value children.
#include "variables/variableBasics.h"
#include "variables/variableConvert.h"

void CarrayVar::addInt(int value) {
    auto* v = new CintVar();
    v->setName("iv");
    v->value = value;
    addVariable(v, 1);
}

void CarrayVar::addFloat(float value) {
    auto* v = new CfloatVar();
    v->setName(name + ":" + "fv");
    v->value = value;
    addVariable(v, 1);
}

void CarrayVar::addString(char const* text) {
    auto* v = new CstringVar();
    v->setName("sv");
    v->value = text ? text : "";
    addVariable(v, 1);
}

int CarrayVar::getInt(int i) {
    Cvariable* e = getChildNoErr(i);
    return e ? e->getElem_int(0) : 0;
}

float CarrayVar::getFloat(int i) {
    Cvariable* e = getChildNoErr(i);
    return e ? varconv::toFloat(e->getElem_float(0)) : 0.0f;
}

Cstring CarrayVar::getString(int i) {
    Cvariable* e = getChildNoErr(i);
    if (e == nullptr || e->getType() != TYPE_STRING) return Cstring();
    return Cstring(e->getElem_char(0));
}

void CarrayVar::getValues(std::vector<Cstring>& texts, std::vector<float>& numbers, int first) {
    for (Cvariable* e = getChildNoErr(first); e; e = e->nextSibling) {
        if (e->flags & VAR_HAS_NUMBER)
            numbers.push_back(varconv::toFloat(e->getElem_float(0)));
        else
            texts.push_back(Cstring(e->getElem_char(0)));
    }
}
