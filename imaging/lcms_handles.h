#pragma once

// Owners of Little CMS's objects, so that each is released however the code
// that made it ends.

#include <lcms2.h>

#include <memory>

struct LcmsProfileCloser
{
    void operator()(void *profile) const { cmsCloseProfile(profile); }
};
using LcmsProfile = std::unique_ptr<void, LcmsProfileCloser>;

struct LcmsTransformDeleter
{
    void operator()(void *transform) const { cmsDeleteTransform(transform); }
};
using LcmsTransform = std::unique_ptr<void, LcmsTransformDeleter>;

struct LcmsCurveFree
{
    void operator()(cmsToneCurve *curve) const { cmsFreeToneCurve(curve); }
};
using LcmsCurve = std::unique_ptr<cmsToneCurve, LcmsCurveFree>;
