#include "cli/WindowState.h"

#include <algorithm>

#include "encode/Encoder.h"
#include "model/EncoderKind.h"
#include "model/Side.h"
#include "model/SideState.h"
#include "platform/File.h"
#include "platform/Paths.h"

void cli::ApplyAlbumOptions(const CliOptions& o, AlbumInfo& album) {
    if (o.album) album.title = *o.album;
    if (o.artist) album.artist = *o.artist;
    if (o.year) album.year = *o.year;
    if (o.genre) album.genre = *o.genre;
    if (o.keepTitleCharacters) album.keepTitleCharacters = true;
    for (const Side side : kSides) {
        const auto& titles = o.titles[model::Index(side)];
        if (!titles) continue;
        std::vector<TrackInfo>& tracks = album.sides[model::Index(side)];
        tracks.resize(std::max(tracks.size(), titles->size()));
        for (std::size_t k = 0; k < tracks.size(); ++k)
            tracks[k].title = k < titles->size() ? (*titles)[k] : std::string();
    }
}

WindowState cli::BatchDefaults() {
    WindowState state;
    state.fields.createEncoded = 0;
    state.fields.voiceAfterEncoding = 0;
    state.fields.voiceAfterSlicing = 0;
    return state;
}

ResolvedState cli::ResolveWindowState(const CliOptions& o) {
    ResolvedState result;
    WindowState& s = result.state;
    s = BatchDefaults();
    SettingsFields& f = s.fields;

    if (o.settingsFile) {
        const std::string path = platform::MakeAbsolute(*o.settingsFile);
        platform::FilePtr file = platform::OpenFile(path, "r");
        if (!file) {
            result.error = path + ": cannot open the settings file";
            result.exitCode = kExitFileError;
            return result;
        }
        f = settings::ReadSettings(file.get());
    }

    if (!o.sides.empty()) {
        f.side1Path = o.sides[0];
        f.side2Path = o.sides.size() > 1 ? o.sides[1] : "";
    }
    f.side1Path = platform::MakeAbsolute(f.side1Path);
    f.side2Path = platform::MakeAbsolute(f.side2Path);
    if (o.outDir) s.outDir = platform::MakeAbsolute(*o.outDir);
    s.replaceEarlier = o.replaceEarlier;
    if (o.cdAudio) f.cdAudio = 1;
    if (o.repairStrength) f.repairStrength = static_cast<int>(*o.repairStrength);
    if (o.cutsHow) f.cutsHow = *o.cutsHow;
    if (o.silenceText) f.silenceSeconds = *o.silenceText;
    for (const Side side : kSides) {
        const std::size_t i = model::Index(side);
        if (o.typedTimes[i])
            for (int n = 0; n < kTypedTimesPerSide; ++n)
                f.typedTimes[i * kTypedTimesPerSide + n] = (*o.typedTimes[i])[n];
        s.markers[i] = o.markers[i];
    }
    // A marker run gives every side a table; a side without --markersN has no markers.
    if (o.MarkerJob())
        for (auto& markers : s.markers)
            if (!markers) markers.emplace();
    s.songs[0] = o.songs[0];
    s.songs[1] = o.songs[1];
    if (o.minSongSeconds) s.minSongSeconds = *o.minSongSeconds;
    s.trim = o.trim;
    if ((o.songs[0] || o.songs[1] || o.minSongSeconds || o.trim) &&
        model::CutMethodOf(f.cutsHow) != CutMethod::SmartSense) {
        result.error = "--songs, --min-song and --trim go with --smart";
        result.exitCode = kExitUsage;
        return result;
    }
    if (o.fadeId) f.fadeId = *o.fadeId;
    if (o.volumeId) f.volumeId = *o.volumeId;
    if (o.eqId) f.eqId = *o.eqId;
    if (o.encoderPath) {
        // A bare name is looked up on PATH when the encoder runs.
        const bool bareName = o.encoderPath->find(platform::kPathSeparator) == std::string::npos;
        s.encoderPath = bareName ? *o.encoderPath : platform::MakeAbsolute(*o.encoderPath);
        const auto kind = encode::RecognizeEncoderKind(s.encoderPath);
        if (kind) {
            f.encoderKind = static_cast<int>(*kind);
        } else if (!o.encoderKind) {
            result.error = s.encoderPath + ": cannot tell the encoder's kind from its name; " +
                           "give it with --encode";
            result.exitCode = kExitUsage;
            return result;
        }
        f.createEncoded = 1;
    }
    if (o.encoderKind) {
        f.encoderKind = *o.encoderKind;
        f.createEncoded = 1;
    }
    if (o.rateId) f.rateId = *o.rateId;
    if (o.jobs) s.encoderRuns = *o.jobs;
    if (o.deleteSlices) f.deleteSlices = 1;
    if (o.voice) {
        s.voice = true;
        f.voiceAfterSlicing = f.voiceAfterEncoding = 1;
    }

    ApplyAlbumOptions(o, s.album);

    if (f.side1Path.empty() && f.side2Path.empty()) {
        result.error = "no side to work on: the settings file names no side file";
        result.exitCode = kExitUsage;
    }
    return result;
}
