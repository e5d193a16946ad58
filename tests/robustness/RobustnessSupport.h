#pragma once

// Running whole decodes through the facade and checking that each one ends
// cleanly: a text, or a failure that says why.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"

namespace robustness {

struct TOutcome {
  bool decoded = false;
  std::string text;         // Shift-JIS bytes
  std::string errorText;    // the message of the error code
  std::string failureText;  // the message of a raised failure
  int events = 0;           // notifications raised
  // What the user would read about a failure.
  std::string Reason() const { return errorText.empty() ? failureText : errorText; }
};

struct TParameters {
  std::int32_t resolver = 7;
  std::int32_t warp = 6;
  std::int32_t forceVersion = 0;
};

inline TOutcome Decode(TVeltrix& veltrix, const TBitmap& picture, const TParameters& parameters = {}) {
  TOutcome outcome;
  veltrix.OnDecoded = [&outcome](TVeltrix&) { ++outcome.events; };
  veltrix.OnError = [&outcome](TVeltrix&) { ++outcome.events; };
  veltrix.SetWarp(parameters.warp);
  veltrix.SetResolver(parameters.resolver);
  veltrix.SetForceVersion(parameters.forceVersion);
  outcome.decoded = veltrix.Decode(picture);
  outcome.text = veltrix.DecodedText();
  outcome.errorText = veltrix.GetErrorText();
  outcome.failureText = veltrix.FailureText();
  veltrix.OnDecoded = nullptr;
  veltrix.OnError = nullptr;
  return outcome;
}

inline TOutcome Decode(const TBitmap& picture, const TParameters& parameters = {}) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  return Decode(veltrix, picture, parameters);
}

// A clean end: one notification; a success without an error text, a failure
// without a text and with a reason.
inline ::testing::AssertionResult EndsCleanly(const TOutcome& outcome) {
  if (outcome.events != 1)
    return ::testing::AssertionFailure() << outcome.events << " notifications instead of one";
  if (outcome.decoded && !outcome.errorText.empty())
    return ::testing::AssertionFailure() << "success with the error text " << outcome.errorText;
  if (!outcome.decoded && !outcome.text.empty())
    return ::testing::AssertionFailure() << "failure with the text " << outcome.text;
  if (!outcome.decoded && outcome.Reason().empty())
    return ::testing::AssertionFailure() << "failure without a reason";
  return ::testing::AssertionSuccess();
}

// The symbol's text when decoded, or a clean failure: never another text.
inline ::testing::AssertionResult TextOrCleanFailure(const TOutcome& outcome, const std::string& expected) {
  const ::testing::AssertionResult clean = EndsCleanly(outcome);
  if (!clean) return clean;
  if (outcome.decoded && outcome.text != expected)
    return ::testing::AssertionFailure() << "decoded the wrong text \"" << outcome.text << "\" instead of \"" << expected << "\"";
  return ::testing::AssertionSuccess();
}

}  // namespace robustness
