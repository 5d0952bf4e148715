// The weekly activity map: one digit per hour of the week, raised for the hours the saver
// runs through and lowered for the hours in which someone stops or watches it; digits of
// '4' and more mark hours that are usually unwatched.
#pragma once

#include "support/mystring.h"

// Hours in the map, one digit per hour of the week.
constexpr int kHoursPerWeek = 168;

// Lowers the digit of hour (any integer, taken modulo a week) of a 168-digit activity map
// by amount, or raises it for a negative amount, keeping it within '0'..'9'.
void shiftActivityDigit(Cstring& map, int hour, int amount);
// The current hour of the week, 0-167.
int hourOfWeekNow();
// Hour of the week from a ctime text: weekday ("Tu" 1 ... "Su" 6, else 0) x 24 + the hour
// read from character 11 on, held within 0..23.
int getHour(char const* dateText);
