// Text and sprites on a transparent background (and the opaque title card).
#pragma once

#include <string>

#include "image.h"

namespace datagen {

// A credit name in large glowing letters; the text is the name itself.
void paintCreditName(Image& image, const std::string& name, int variant);
// The long line of white scrolling text, spaced so that it repeats seamlessly.
void paintScrollText(Image& image);
// The logo: the word "zelvaro" in metallic letters with outline and glow.
void paintLogo(Image& image);
// A card with a rounded frame around a small picture.
void paintPictureCard(Image& image);
// Four frames of a walking figure side by side.
void paintWalkingFigure(Image& image);
// A translucent plaque with a city's name and its coordinates.
void paintCityCard(Image& image, const std::string& name, const std::string& coordinates, int variant);
// A greeting badge with a group's name; variant picks the shape and colours.
void paintGreeting(Image& image, const std::string& name, int variant);
// The opaque title card: a small tree on a hill under the night sky.
void paintTitleCard(Image& image);

}  // namespace datagen
