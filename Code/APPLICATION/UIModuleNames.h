// File names of the two UI modules (bare names: the platform's library
// search order finds them).
#pragma once

const char kDefaultUIModule[] = "QuavPlusUI.dll";
const char kLxUIModule[] = "QUAVLXUI.dll";
