#pragma once
// A sprite that steps through the frames of an SFAnimation as time passes.
// Used by one thread at a time (the preview's render thread under its lock).

#include "app/view/SFAnimation.h"

#include <SFML/Graphics/Drawable.hpp>
#include <SFML/Graphics/Transformable.hpp>
#include <SFML/Graphics/Vertex.hpp>
#include <SFML/System/Time.hpp>

namespace kelvara {

class SFAnimatedSprite : public sf::Drawable, public sf::Transformable
{
public:
    explicit SFAnimatedSprite(
        sf::Time frameTime = sf::seconds(0.2f), bool paused = false, bool looped = true);
    ~SFAnimatedSprite() override = default;

    // Plays from frame 0 with the animation's texture; the animation is
    // borrowed.
    void setAnimation(const SFAnimation& animation);
    const SFAnimation* getAnimation() const { return animation; }
    void setFrameTime(sf::Time time) { frameTime = time; }
    sf::Time getFrameTime() const { return frameTime; }
    void play() { isPaused = false; }
    void pause() { isPaused = true; }
    bool isPlaying() const { return !isPaused; }
    void setLooped(bool looped) { isLooped = looped; }
    bool isLooping() const { return isLooped; }
    int getCurrentFrame() const { return currentFrame; }
    sf::Time getCurrentTime() const { return currentTime; }

    // Advances by dt: a frame step each time a frame time has passed (the
    // remainder is kept); after the last frame it starts over, or pauses when
    // not looped. A frame time of zero steps once per call.
    void update(sf::Time dt);
    // Shows frame index (ignored outside the animation); resetTime restarts
    // the frame's time.
    void setFrame(int index, bool resetTime = true);
    // The quad's corners and texture coordinates (for checks).
    const sf::Vertex* getVertices() const { return vertices; }

protected:
    void draw(sf::RenderTarget& target, sf::RenderStates states) const override;

private:
    const SFAnimation* animation = nullptr;
    sf::Time frameTime;
    sf::Time currentTime;
    int currentFrame = 0;
    bool isPaused = false;
    bool isLooped = true;
    const sf::Texture* texture = nullptr;
    sf::Vertex vertices[4];
};

}  // namespace kelvara
