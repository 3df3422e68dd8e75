// Writes one photo-like JPEG file that carries a colour profile made with
// lcms, for the checks against other programs' colour conversion.
//
// pictavel-tagged-photo OUT.jpg adobe|prophoto [WIDTH HEIGHT]

#include "base/pictavel_error.h"
#include "bench/bench_profiles.h"
#include "bench/photo_corpus.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool known = args.size() > 2 &&
                       (args[2] == QLatin1String("adobe") || args[2] == QLatin1String("prophoto"));
    if (!known || (args.size() != 3 && args.size() != 5)) {
        std::fprintf(stderr,
                     "usage: pictavel-tagged-photo OUT.jpg adobe|prophoto [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = args.size() == 5 ? args[3].toInt() : 1600;
    const int height = args.size() == 5 ? args[4].toInt() : 1200;
    if (width < 1 || height < 1 || width > 20000 || height > 20000) {
        std::fprintf(stderr, "error: the size must lie between 1 and 20000\n");
        return 2;
    }
    const QByteArray icc =
        args[2] == QLatin1String("adobe") ? adobeRgbLikeProfile() : proPhotoLikeProfile();
    try {
        writeCorpusJpeg(args[1], width, height, 7, icc);
    } catch (const PictavelError &e) {
        std::fprintf(stderr, "error: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
