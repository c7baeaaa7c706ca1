#pragma once
// The application: the program's forms in creation order, the window that
// shows them (a renderer, or nothing when forms are driven headlessly), and
// the handler of exceptions that escape an event handler.

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "ui/form.h"

namespace tovex::ui {

// Turns forms into windows. The Win32 renderer implements it; without one
// the application works headlessly.
class FormHost {
 public:
  virtual ~FormHost() = default;
  virtual void Show(Form& form) = 0;
  virtual void Hide(Form& form) = 0;
  // Shows the form modally and returns when its modal result is set or it
  // is closed (Cancel).
  virtual ModalResult ShowModal(Form& form) = 0;
};

class Application {
 public:
  Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  std::string Title;

  // Forms register themselves when constructed and leave when destroyed.
  void AddForm(Form& form);
  void RemoveForm(Form& form);
  // Every form in creation order.
  const std::vector<Form*>& Forms() const { return forms_; }
  // The first form whose class name equals the text exactly.
  Form* FindForm(const std::string& className) const;

  void SetHost(FormHost* host) { host_ = host; }
  FormHost* Host() const { return host_; }

  void Show(Form& form);
  void Hide(Form& form);
  ModalResult ShowModal(Form& form);
  // Headless ShowModal: runs this script with the form showing (a test acts
  // on the form as a user would); the result is the form's modal result,
  // Cancel when the script set none. Without a script the form is cancelled.
  std::function<void(Form&)> ModalScript;

  // Runs an event handler. An exception escaping it goes to OnException and
  // goes no further; the end of the process (ProcessEnded, which the fake
  // system throws) is not an exception a handler may swallow and passes on.
  void Dispatch(const std::function<void()>& handler);
  // The application-wide handler; without one, escaping exceptions are
  // discarded as well.
  std::function<void(std::exception_ptr)> OnException;

 private:
  std::vector<Form*> forms_;
  FormHost* host_ = nullptr;
};

}  // namespace tovex::ui
