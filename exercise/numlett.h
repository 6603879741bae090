#pragma once

class Currency;
class QString;

// Names the whole part of `value` in Italian, as one lower-case word ("duecentoventuno" for 221).
// `value` is the working remainder: each group of three digits named is taken from it, so on
// return it holds the fraction (for values of 1 or more) or is unchanged (below 1).
// Values of 10^12 and more cannot be named: GameError, with `value` untouched.
QString numlett(Currency& value);
