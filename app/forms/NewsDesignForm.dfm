object NewsDesignForm: TNewsDesignForm
  Left = 160
  Top = 120
  Width = 480
  Height = 400
  BorderStyle = bsDialog
  Caption = 'Newsletter design'
  Color = clBtnFace
  Font.Name = 'DejaVu Sans'
  Font.Height = -11
  Position = poMainFormCenter
end
