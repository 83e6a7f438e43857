// effect.cpp: the base effect, which draws nothing.
#include "timeline/effect.h"

Effect::~Effect() {}

int Effect::Render(int, int) { return 1; }

int Effect::Init() { return 1; }
