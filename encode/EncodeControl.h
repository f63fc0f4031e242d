#pragma once
// What the encoder runs need from whoever runs them besides the work control: the encoder
// the user has chosen, read as each run starts (the user may change it meanwhile).

#include <optional>
#include <string>

#include "model/EncoderKind.h"
#include "settings/WorkControl.h"

class EncodeControl : public WorkControl {
  public:
    /// The encoder chosen; nullopt: none.
    virtual std::optional<EncoderKind> EncoderChoice() = 0;
    /// The encoder program as located ("" = find the chosen kind's usual program).
    virtual std::string EncoderPath() = 0;
};
