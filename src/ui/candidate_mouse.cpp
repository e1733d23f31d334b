#include "ui/candidate_mouse.h"

#include <algorithm>

namespace yz {
namespace {

double clampedSize(double size, int step) {
  return std::clamp(size + step, kMinZoomPoints, kMaxZoomPoints);
}

}  // namespace

CandidateMouse::CandidateMouse(Platform& platform, Settings& settings, CandidateWindow& window)
    : platform_(platform), settings_(settings), window_(window) {}

void CandidateMouse::mouseDown(std::u16string_view box, float x, float y) {
  // The list records its own grab point too, so a drag of the list never jumps.
  if (box == u"rtext1" || box == u"text7" || box == u"rtext2" || box == u"Text5" || box == u"hxl") {
    xx = x;
    yy = y;
  }
}

void CandidateMouse::mouseMove(std::u16string_view box, int button, float x, float y) {
  const bool drags = box == u"rtext1" || box == u"text7" || box == u"rtext2" || box == u"hxl";
  const bool zooms = box == u"rtext1" || box == u"text7" || box == u"hxl";
  if (button == 1 && drags) {
    CandidateForm& f = window_.form;
    f.left = static_cast<int>(static_cast<float>(f.left) + x - xx);
    f.top = static_cast<int>(static_cast<float>(f.top) + y - yy);
    window_.realise();
  } else if (button == 2 && zooms) {
    platform_.sleepMs(kZoomWaitMs);
    stepFontSize(x - xx > 0 ? 1 : -1);
  }
}

void CandidateMouse::stepFontSize(int step) {
  CandidateForm& f = window_.form;
  for (BoxLook* box : {&f.rtext1, &f.Text1, &f.rText7, &f.hxl, &f.Text5, &f.text7}) {
    box->font.size = clampedSize(box->font.size, step);
  }
  settings_.Text4.fontSize = clampedSize(settings_.Text4.fontSize, step);
  settings_.Text5.fontSize = clampedSize(settings_.Text5.fontSize, step);
  window_.zdus();
}

void CandidateMouse::onEvent(const FormEvent& event) {
  const CandidateForm& f = window_.form;
  const BoxLook* box = nullptr;
  if (event.control == u"rtext1") box = &f.rtext1;
  if (event.control == u"text7") box = &f.text7;
  if (event.control == u"rtext2") box = &f.rtext2;
  if (event.control == u"Text5") box = &f.Text5;
  if (event.control == u"hxl") box = &f.hxl;
  if (!box) return;
  const float x = static_cast<float>(event.point.x - box->left);
  const float y = static_cast<float>(event.point.y - box->top);
  if (event.kind == FormEventKind::MouseDown) mouseDown(event.control, x, y);
  if (event.kind == FormEventKind::MouseMove) mouseMove(event.control, event.button, x, y);
}

}  // namespace yz
