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

// A point the figure turns about, carried by its parent joint and moved by the pose values it
// names (a null field leaves that motion out): lifted, turned, scaled about the pivot, squashed
// upright, and spun about its upright axis (seen from the front, a horizontal squeeze).
struct JointSpec {
    QString name;
    QPointF pivot;
    int parent = -1; // index in CharacterDescription::joints, always before this joint
    double Pose::*lift = nullptr;
    double Pose::*rotate = nullptr;
    double Pose::*scale = nullptr;
    double Pose::*squash = nullptr;
    double Pose::*spin = nullptr;
};

// A drawing layer: an SVG file or one of the faces drawn in code, moved by a joint.
struct PartSpec {
    int joint = 0;
    QString file; // resource path, empty for drawn parts
    QString draw; // "eyes" or "mouth" for drawn parts
};

struct AnchorSpec {
    int joint = 0;
    QPointF point;
};

// A character as we ship it: a small JSON file under :/assistant/characters naming its art,
// its skeleton and its animations.
class CharacterDescription {
public:
    // Takes the character's key from a file path as the game passes it: the file's base name,
    // lower case, whichever separators the path uses.
    static QString keyOfFile(const QString& file);

    // Throws std::runtime_error, with a short Italian sentence, when the path names a character
    // we do not ship, or a broken one.
    static CharacterDescription fromFile(const QString& file);
    static CharacterDescription fromJson(const QByteArray& json, const QString& artFolder);

    QSizeF viewBox;
    std::vector<JointSpec> joints; // parents first; "body" is always there
    int bodyJoint = 0;             // where the figure stands, and effects start by default
    std::vector<PartSpec> parts;
    std::vector<QPointF> eyes;
    QPointF mouth;
    QHash<QString, AnchorSpec> anchors;
    Clip appearance;
    QHash<QString, Clip> animations;

    const Clip* animation(const QString& name) const;
    QStringList animationNames() const;
};
