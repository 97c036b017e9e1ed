// The resources of this library are registered by the objects Qt generates for them;
// this file only gives the library a source of its own.
namespace quillon_assets {
void anchor() {}
} // namespace quillon_assets
