#pragma once

#include "analysers_vk/VKArchivViewRecord.h"

namespace analysers_vkt {

// The VKT archive view keeps the record of the VK archive view (84 bytes in
// section 1 of the archive's settings stream). Its two statistics floats
// are, for a VKT, the nominal phase voltage a and the nominal phase power b.
struct CVKTArchivViewRecord : analysers_vk::CVKArchivViewRecord {
    float A() const { return nominalVoltage; }
    float B() const { return nominalCurrent; }
    void SetA(float a) { nominalVoltage = a; }
    void SetB(float b) { nominalCurrent = b; }

    // What the statistics keep beside a and b: the line voltage a * 1.7320508,
    // the three-phase power b * 3 and, when a is not 0, the current b / a.
    float LineVoltage() const { return A() * 1.7320508f; }
    float ThreePhasePower() const { return B() * 3.0f; }
    bool HasCurrent() const { return A() != 0.0f; }
    float Current() const { return HasCurrent() ? B() / A() : 0.0f; }

    static CVKTArchivViewRecord Read(const QByteArray& block)
    {
        CVKTArchivViewRecord record;
        static_cast<analysers_vk::CVKArchivViewRecord&>(record) = analysers_vk::CVKArchivViewRecord::Read(block);
        return record;
    }
};

} // namespace analysers_vkt
