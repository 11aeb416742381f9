// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An encoder's own settings (its private AVOptions) as editable descriptions.

#include "platform/encoder_facility.h"

#include <map>
#include <string>
#include <vector>

struct AVCodec;

// The encoder's video encoding options, deprecated and read-only ones left out; value holds
// the entry of values for that name, else the default.
std::vector<EncoderOption> DescribeEncoderOptions(const AVCodec* codec,
                                                  const std::map<std::string, std::string>& values);

// Raises DeckrecError naming the option when the encoder refuses value for it.
void CheckEncoderOption(const AVCodec* codec, const std::string& name, const std::string& value);
