#pragma once

// The figure's posture at one instant. Angles are in degrees (clockwise on screen), lengths in
// the character's own drawing units.
struct Pose {
    double bodyY = 0;  // lift of the whole body, negative is up
    double squash = 1; // vertical scale of the body about the feet
    double lean = 0;   // rotation of the body about the feet
    double scale = 1;  // uniform scale about the feet
    double opacity = 1;
    double armWand = 0;  // rotation of the wand arm about its shoulder
    double armFree = 0;  // rotation of the free arm about its shoulder
    double hatTilt = 0;  // rotation of the hat about its brim
    double hatLift = 0;  // lift of the hat off the head, negative is up
    double hatSpin = 0;  // turn of the hat about its own axis
    double glow = 0;     // light at the wand's tip, 0 to 1
    double eyesOpen = 1; // 0 closed, 1 open
    // The mouth: closed at rest; see MouthShape for the shapes these describe.
    double mouthOpen = 0;  // parting of the lips, 0 closed to 1 wide open
    double mouthWidth = 1; // against the resting smile's width
    double mouthRound = 0; // 0 a smiling oval, 1 a round "o"
    double mouthTeeth = 0; // upper teeth on the lower lip, 0 to 1
};
