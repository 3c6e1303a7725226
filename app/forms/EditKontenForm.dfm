object EditKontenForm: TEditKontenForm
  Left = 180
  Top = 140
  Width = 420
  Height = 300
  BorderStyle = bsDialog
  Caption = 'Edit sender account'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  Position = poMainFormCenter
  OnShow = FormShow
  OnCloseQuery = FormCloseQuery
  object HeadingLabel: TOrvLabel
    Left = 8
    Top = 8
    Caption = 'eMail account - enter your name, email address and the server'
  end
  object Label1: TLabel
    Left = 8
    Top = 40
    Caption = 'Sender name:'
  end
  object AbsenderEd: TEdit
    Left = 190
    Top = 36
    Width = 210
    Height = 21
    Text = ''
  end
  object Label2: TLabel
    Left = 8
    Top = 68
    Caption = 'Sender email address:'
  end
  object EmailEd: TEdit
    Left = 190
    Top = 64
    Width = 210
    Height = 21
    Text = ''
  end
  object Label3: TLabel
    Left = 8
    Top = 96
    Caption = 'Return email addresse:'
  end
  object AntwortEd: TEdit
    Left = 190
    Top = 92
    Width = 210
    Height = 21
    Text = ''
  end
  object Label4: TLabel
    Left = 8
    Top = 124
    Caption = 'Outgoing STMP email server:'
  end
  object ServerEd: TEdit
    Left = 190
    Top = 120
    Width = 210
    Height = 21
    Text = 'mail.example.net'
  end
  object Label5: TLabel
    Left = 8
    Top = 152
    Caption = 'User name (if necessary):'
    Visible = False
  end
  object UserEd: TEdit
    Left = 190
    Top = 148
    Width = 210
    Height = 21
    Text = ''
    Visible = False
  end
  object Label6: TLabel
    Left = 8
    Top = 180
    Caption = 'User password (if necessary):'
    Visible = False
  end
  object PasswordEd: TEdit
    Left = 190
    Top = 176
    Width = 210
    Height = 21
    PasswordChar = '*'
    Text = ''
    Visible = False
  end
  object OKBtn: TBitBtnXP
    Left = 224
    Top = 230
    Width = 85
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
  object CancelBtn: TBitBtnXP
    Left = 316
    Top = 230
    Width = 85
    Height = 25
    Cancel = True
    Caption = '&Cancel'
    ModalResult = 2
  end
end
