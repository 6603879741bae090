#pragma once

#include "pose.h"

#include <QHash>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

class QJsonObject;

// One pose value changing over a clip: (time in ms, value) pairs in time order.
struct Keyframe {
    double at = 0;
    double value = 0;
};

struct Track {
    double Pose::*field = nullptr;
    std::vector<Keyframe> keys;
};

// Particles let loose at one moment of a clip, from a point on the figure.
struct EffectSpec {
    double at = 0;
    QString kind;
    QString anchor;
    int count = 0;
};

struct Clip {
    QString name;
    double duration = 0;
    std::vector<Track> tracks;
    std::vector<EffectSpec> effects;
};

// A drawing layer: an SVG file or one of the faces drawn in code, moved by a joint.
struct PartSpec {
    QString joint;
    QString file; // resource path, empty for drawn parts
    QString draw; // "eyes" or "mouth" for drawn parts
};

struct AnchorSpec {
    QString joint;
    QPointF point;
};

// A character as we ship it: a small JSON file under :/assistant/characters naming its art,
// its skeleton and its animations.
class CharacterDescription {
public:
    // Takes the character's key from a file path as the game passes it: the file's base name,
    // lower case, whichever separators the path uses.
    static QString keyOfFile(const QString& file);

    // Throws AssistantError when the path names a character we do not ship, or a broken one.
    static CharacterDescription fromFile(const QString& file);
    static CharacterDescription fromJson(const QByteArray& json, const QString& artFolder);

    QString title;
    QSizeF viewBox;
    QHash<QString, QPointF> joints;
    std::vector<PartSpec> parts;
    std::vector<QPointF> eyes;
    QPointF mouth;
    QHash<QString, AnchorSpec> anchors;
    Clip appearance;
    QHash<QString, Clip> animations;

    const Clip* animation(const QString& name) const;
    QStringList animationNames() const;
};
