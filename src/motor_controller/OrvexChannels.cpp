#include "velmora/Orvex.h"

namespace velmora {

Orvex::Motor::Motor(Handle handle, int motorIndex) : m_handle(handle), m_motorIndex(motorIndex) {}

Orvex::Motor::~Motor() = default;

Orvex::Encoder::Encoder(Handle handle, int encoderIndex)
    : m_handle(handle), m_encoderIndex(encoderIndex) {}

Orvex::Encoder::~Encoder() = default;

}  // namespace velmora
