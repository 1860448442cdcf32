// The interface an effect's editor offers to the framework. No effect in this project has an
// editor; the dispatchers still route the editor opcodes through this interface so that one can be
// attached without touching them.
#pragma once

#include "aeffect.h"

class AEffEditor {
public:
    virtual ~AEffEditor() = default;
    virtual bool getRect(ERect** rect) = 0;
    virtual bool open(void* window) = 0;
    virtual void close() = 0;
    virtual void idle() = 0;
    virtual bool onKeyDown(VstKeyCode& keyCode) = 0;
    virtual bool onKeyUp(VstKeyCode& keyCode) = 0;
    virtual bool setKnobMode(VstInt32 mode) = 0;
};
