#include "app/view/SFAnimatedSprite.h"

#include <SFML/Graphics/RenderTarget.hpp>

namespace kelvara {

SFAnimatedSprite::SFAnimatedSprite(sf::Time frameTime, bool paused, bool looped)
    : frameTime(frameTime)
    , isPaused(paused)
    , isLooped(looped)
{
}

void SFAnimatedSprite::setAnimation(const SFAnimation& anim)
{
    animation = &anim;
    texture = anim.texture;
    currentFrame = 0;
    setFrame(currentFrame, true);
}

void SFAnimatedSprite::update(sf::Time dt)
{
    if (isPaused || animation == nullptr || animation->frames.empty())
        return;
    currentTime += dt;
    if (currentTime < frameTime)
        return;
    // A zero frame time would make the remainder a division by zero.
    if (frameTime > sf::Time::Zero)
        currentTime = sf::microseconds(currentTime.asMicroseconds() % frameTime.asMicroseconds());
    else
        currentTime = sf::Time::Zero;
    if (currentFrame + 1 < static_cast<int>(animation->frames.size())) {
        ++currentFrame;
    } else {
        currentFrame = 0;
        if (!isLooped)
            isPaused = true;
    }
    setFrame(currentFrame, false);
}

void SFAnimatedSprite::setFrame(int index, bool resetTime)
{
    if (animation == nullptr || index < 0 || index >= static_cast<int>(animation->frames.size()))
        return;
    const sf::IntRect& rect = animation->frames[static_cast<size_t>(index)];
    const float left = static_cast<float>(rect.left) + 0.0001f;
    const float right = left + static_cast<float>(rect.width);
    const float top = static_cast<float>(rect.top);
    const float bottom = top + static_cast<float>(rect.height);
    const float width = static_cast<float>(rect.width);
    const float height = static_cast<float>(rect.height);

    vertices[0].position = {0.0f, 0.0f};
    vertices[1].position = {0.0f, height};
    vertices[2].position = {width, height};
    vertices[3].position = {width, 0.0f};
    vertices[0].texCoords = {left, top};
    vertices[1].texCoords = {left, bottom};
    vertices[2].texCoords = {right, bottom};
    vertices[3].texCoords = {right, top};
    if (resetTime)
        currentTime = sf::Time::Zero;
}

void SFAnimatedSprite::draw(sf::RenderTarget& target, sf::RenderStates states) const
{
    if (animation == nullptr || texture == nullptr)
        return;
    states.transform *= getTransform();
    states.texture = texture;
    target.draw(vertices, 4, sf::Quads, states);
}

}  // namespace kelvara
