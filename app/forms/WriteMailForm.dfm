object WriteMailForm: TWriteMailForm
  Left = 140
  Top = 100
  Width = 720
  Height = 540
  BorderStyle = bsSizeable
  Caption = 'Write email'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  Position = poMainFormCenter
end
