// The mail module: message model, encoders, MIME tree and body building, and the SMTP client.
#pragma once
#include "mail/MailEncoders.h"
#include "mail/MailMessage.h"
#include "mail/MimeTree.h"
#include "mail/SMTPSession.h"
